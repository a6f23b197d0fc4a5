// The common interface base: construction with the module identity, the
// named properties and methods, and the host signal and stop request.
//
// Property and method names are compared exactly (case included). Every
// refusal answers 0 with one trace line; nothing here catches exceptions
// except the module checksum at construction.
#include "plugin/CommonDllInterface.h"

#include "log/TraceLog.h"
#include "platform/File.h"
#include "platform/System.h"
#include "search/ArtistUrlCache.h"
#include "text/MD5Checksum.h"

namespace {

// An address inside this module, so that the module's own file is found
// (not the host program's).
void ModuleAnchor() {}

// The MD5 text of the module's file; empty, with an Error line, when the file cannot be read.
CString ComputeModuleSourceId() {
    const std::wstring path = platform::ModuleFileName(reinterpret_cast<const void*>(&ModuleAnchor));
    try {
        return CMD5Checksum::ComputeFileHash(path.c_str());
    } catch (const CFileException& error) {
        wchar_t message[256] = {};
        error.GetErrorMessage(message, 256);
        TheTraceLog().Write(TRACE_ERROR, (CString(L"Can not make MD5hash, CFileException: ") + message).GetString());
    }
    return CString();
}

}  // namespace

template <class TInterface>
CCommonDllInterface<TInterface>::CCommonDllInterface()
    : m_nCodePage(0),
      m_nSupportedSearch(0),
      m_nAlbumsIterationConstant(0),
      m_nTitlesIterationConstant(0),
      m_nDownloadCounter(0),
      m_nSuccessfulDownloads(0),
      m_nTotalDownloadTime(0) {
    m_strSourceId = ComputeModuleSourceId();
}

template <class TInterface>
CCommonDllInterface<TInterface>::~CCommonDllInterface() = default;

template <class TInterface>
int CCommonDllInterface<TInterface>::Set(const CString& name, const CString* value) {
    const CString prefix = L"CCommonDllInterface::Set Property " + name + L": ";
    CTraceLog& log = TheTraceLog();
    if (name == L"LocalCacheFolder" && value) {
        if (m_pArtistCache) {
            log.Write(TRACE_INFO, (prefix + L"already ini.lized").GetString());
            return 0;
        }
        if (value->IsEmpty()) {
            log.Write(TRACE_WARNING, (prefix + L"Path not specified").GetString());
            return 0;
        }
        m_pArtistCache = std::make_unique<CArtistUrlCache>(*value, m_strSourceName, m_strSourceId);
        log.Write(TRACE_DEBUG, (prefix + *value).GetString());
        return 1;
    }
    if (name == L"LogFolder" && value) {
        log.Open(value->GetString(), m_strSourceName.GetString(), TRACE_ERROR);
        log.Write(TRACE_DEBUG, (prefix + *value).GetString());
        return 1;
    }
    if (name == L"TraceLevel" && value) {
        log.SetTraceLevel(value->GetString());
        log.Write(TRACE_DEBUG, (prefix + *value).GetString());
        return 1;
    }
    if (name == L"ParentLogfilePath" && value) {
        log.SetParentLogfilePath(value->GetString());
        log.Write(TRACE_DEBUG, (prefix + *value).GetString());
        return 1;
    }
    log.Write(TRACE_WARNING, (prefix + L" - Can not be set.").GetString());
    return 0;
}

template <class TInterface>
int CCommonDllInterface<TInterface>::Property(const CString& name, void* out) {
    if (out) {
        const CString* text = nullptr;
        if (name == L"SourceName") text = &m_strSourceName;
        else if (name == L"SourceId") text = &m_strSourceId;
        if (text) {
            *static_cast<CString*>(out) = *text;
            return 1;
        }
        const int* number = nullptr;
        if (name == L"StatisticDownloadCounter") number = &m_nDownloadCounter;
        else if (name == L"StatisticSuccessfulDownloads") number = &m_nSuccessfulDownloads;
        else if (name == L"StatisticTotalDownloadTime") number = &m_nTotalDownloadTime;
        else if (name == L"SupportedSearch") number = &m_nSupportedSearch;
        else if (name == L"AlbumsItearationConstant") number = &m_nAlbumsIterationConstant;
        else if (name == L"TitlesItearationConstant") number = &m_nTitlesIterationConstant;
        if (number) {
            *static_cast<int*>(out) = *number;
            return 1;
        }
    }
    TheTraceLog().Write(TRACE_ERROR, (L"CCommonDllInterface::Property not found: " + name).GetString());
    return 0;
}

template <class TInterface>
int CCommonDllInterface<TInterface>::CallMethod(const CString& name, void* parameter) {
    (void)parameter;
    if (name == L"CloseAndMergeLog") {
        TheTraceLog().CloseAndMerge();
        return 1;
    }
    TheTraceLog().Write(TRACE_ERROR, (L"CCommonDllInterface::CallMethod - Method not found: " + name).GetString());
    return 0;
}

template <class TInterface>
void CCommonDllInterface<TInterface>::SignalHost() {
    if (this->m_pHost) this->m_pHost->Signal();
}

template <class TInterface>
bool CCommonDllInterface<TInterface>::IsStopRequested() {
    return this->m_pHost ? this->m_pHost->IsStopRequested() : true;
}

template class CCommonDllInterface<CBasicTagsDllInterface>;
