// Page download placeholder: answers failure with empty text until the HTTP
// transfer layer supplies the real DownloadPage (this file is then deleted).
#include "plugin/CommonDllInterface.h"

template <>
int CCommonDllInterface<CBasicTagsDllInterface>::DownloadPage(const CString& url, CString& text) {
    (void)url;
    text.Empty();
    return 0;
}
