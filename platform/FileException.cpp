// The file exception's texts, shared by every system's file classes.
#include <algorithm>
#include <cstring>
#include <cwchar>

#include "platform/CodePage.h"
#include "platform/File.h"
#include "platform/System.h"

CFileException::CFileException(int cause, uint32_t osError, const CString& fileName)
    : m_cause(cause), m_lOsError(osError), m_strFileName(fileName) {
    m_what = platform::ToUtf8(GetErrorText().str());
}

CString CFileException::GetErrorText() const {
    std::wstring text = platform::SystemErrorText(m_lOsError);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) text.pop_back();
    if (text.empty()) text = L"An unknown error occurred while accessing";
    return CString(text + L": " + m_strFileName.str());
}

bool CFileException::GetErrorMessage(wchar_t* buffer, unsigned maxChars, unsigned* helpContext) const {
    if (helpContext) *helpContext = 0;
    if (!buffer || maxChars == 0) return false;
    const CString text = GetErrorText();
    const size_t n = std::min<size_t>(static_cast<size_t>(text.GetLength()), maxChars - 1);
    std::wmemcpy(buffer, text.GetString(), n);
    buffer[n] = 0;
    return true;
}

const char* CFileException::what() const noexcept { return m_what.c_str(); }
