// The plug-in's download figures, read through its statistic properties.
#pragma once

#include "plugin/Mivo.h"

namespace testsupport {

struct DownloadStatistics {
    int downloads = -1;
    int successful = -1;
    int totalMs = -1;
};

// Reads the download counter, the successful downloads and the total download time of mivo.
inline DownloadStatistics StatisticsOf(CMivo& mivo) {
    DownloadStatistics figures;
    mivo.Property(L"StatisticDownloadCounter", &figures.downloads);
    mivo.Property(L"StatisticSuccessfulDownloads", &figures.successful);
    mivo.Property(L"StatisticTotalDownloadTime", &figures.totalMs);
    return figures;
}

}  // namespace testsupport
