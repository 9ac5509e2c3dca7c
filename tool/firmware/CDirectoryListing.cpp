#include "CDirectoryListing.h"

bool CDirectoryListing::Load(const std::string& path, std::vector<std::string>& list)
{
    list.clear();
    m_loaded = m_document.LoadFileWithCrLf(path);
    m_text = m_document.GetText();
    if (!m_loaded) return false;

    m_document.ResetPosition();
    if (!m_document.FindNextElement() || m_document.GetElementName() != "DIR") return true;
    m_document.EnterElement();
    while (m_document.FindNextElement()) {
        std::string name = m_document.GetAttribute("name");
        if (!name.empty()) list.push_back(std::move(name));
    }
    return true;
}
