#include "CTechnologyPanelModel.h"

#include <cctype>

namespace {

std::vector<std::string> Steps(int32_t first, int32_t last)
{
    std::vector<std::string> items;
    for (int32_t v = first; v <= last; v += 8) items.push_back(std::to_string(v));
    return items;
}

bool BeginsWithNoCase(const std::string& item, std::string_view prefix)
{
    if (prefix.size() > item.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(item[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

int32_t FirstWithPrefix(const std::vector<std::string>& items, std::string_view prefix)
{
    for (size_t i = 0; i < items.size(); ++i)
        if (BeginsWithNoCase(items[i], prefix)) return static_cast<int32_t>(i);
    return -1;
}

bool InRange(int32_t index, size_t size) { return index >= 0 && static_cast<size_t>(index) < size; }

}  // namespace

CTechnologyPanelModel::CTechnologyPanelModel(const CXmlDocument& catalogue) : m_catalogue(catalogue)
{
    SelectTechnology(0);
}

const std::vector<std::string>& CTechnologyPanelModel::HeightItems()
{
    static const std::vector<std::string> items = [] {
        std::vector<std::string> v{"7"};
        for (auto& s : Steps(8, 512)) v.push_back(s);
        return v;
    }();
    return items;
}

const std::vector<std::string>& CTechnologyPanelModel::WidthItems()
{
    static const std::vector<std::string> items = Steps(8, 1024);
    return items;
}

std::vector<std::string> CTechnologyPanelModel::ColourDepthItems()
{
    std::vector<std::string> items;
    for (const JxColourDepth& d : kJxColourDepths) items.push_back(d.listItem);
    return items;
}

const char* CTechnologyPanelModel::Caption() const { return kJxTechnologies[static_cast<size_t>(m_technology)].listItem; }

std::string CTechnologyPanelModel::HeightText() const
{
    return InRange(m_height, HeightItems().size()) ? HeightItems()[static_cast<size_t>(m_height)] : std::string();
}

std::string CTechnologyPanelModel::WidthText() const
{
    return InRange(m_width, WidthItems().size()) ? WidthItems()[static_cast<size_t>(m_width)] : std::string();
}

std::string CTechnologyPanelModel::ModuleIdentifier() const
{
    if (!InRange(m_module, m_modules.size())) return {};
    const int32_t data = m_modules[static_cast<size_t>(m_module)].data;
    return InRange(data, m_identifiers.size()) ? m_identifiers[static_cast<size_t>(data)] : std::string();
}

bool CTechnologyPanelModel::SelectTechnology(int32_t index)
{
    if (!InRange(index, kJxTechnologies.size())) return false;
    m_technology = index;
    ResetLists();
    return true;
}

void CTechnologyPanelModel::ResetLists()
{
    m_colourDepth = 0;
    ReloadModuleList();
    m_height = 0;
    m_width = 0;
}

void CTechnologyPanelModel::ReloadModuleList()
{
    const char* technology = InRange(m_technology, kJxTechnologies.size())
                                 ? kJxTechnologies[static_cast<size_t>(m_technology)].code
                                 : "HLV";
    // Without a colour depth the lookup falls back to the tricolour class.
    const char* colourClass = InRange(m_colourDepth, kJxColourDepths.size())
                                  ? kJxColourDepths[static_cast<size_t>(m_colourDepth)].colourClass
                                  : "RG";
    m_modules.clear();
    m_identifiers.clear();
    m_module = -1;

    // A copy, so that the catalogue's own cursor is never disturbed.
    CXmlDocument catalogue(m_catalogue);
    catalogue.ResetPosition();
    if (!catalogue.FindNextElement("MODULES") || !catalogue.EnterElement()) return;
    while (catalogue.FindNextElement("DISPLAYTECH")) {
        if (catalogue.GetAttribute("type") != technology) continue;
        catalogue.EnterElement();
        while (catalogue.FindNextElement("COLORTECH")) {
            if (catalogue.GetAttribute("type") != colourClass) continue;
            catalogue.EnterElement();
            while (catalogue.FindNextElement("MODULE")) {
                const int32_t counter = static_cast<int32_t>(m_identifiers.size());
                m_modules.push_back({catalogue.GetAttribute("type"), counter});
                m_identifiers.push_back(catalogue.GetAttribute("value"));
            }
            if (!m_modules.empty()) m_module = 0;
            return;
        }
        catalogue.LeaveElement();
    }
}

bool CTechnologyPanelModel::SelectHeightByPrefix(std::string_view text)
{
    const int32_t index = FirstWithPrefix(HeightItems(), text);
    if (index >= 0) m_height = index;
    return index >= 0;
}

bool CTechnologyPanelModel::SelectWidthByPrefix(std::string_view text)
{
    const int32_t index = FirstWithPrefix(WidthItems(), text);
    if (index >= 0) m_width = index;
    return index >= 0;
}

bool CTechnologyPanelModel::SelectColourDepth(int32_t index)
{
    if (!InRange(index, kJxColourDepths.size())) return false;
    m_colourDepth = index;
    return true;
}

bool CTechnologyPanelModel::SelectModuleById(std::string_view moduleId)
{
    for (size_t i = 0; i < m_modules.size(); ++i) {
        const int32_t data = m_modules[i].data;
        if (InRange(data, m_identifiers.size()) && m_identifiers[static_cast<size_t>(data)] == moduleId) {
            m_module = static_cast<int32_t>(i);
            return true;
        }
    }
    return false;
}

bool CTechnologyPanelModel::ChooseHeight(int32_t index)
{
    if (!InRange(index, HeightItems().size())) return false;
    m_height = index;
    return true;
}

bool CTechnologyPanelModel::ChooseWidth(int32_t index)
{
    if (!InRange(index, WidthItems().size())) return false;
    m_width = index;
    return true;
}

bool CTechnologyPanelModel::ChooseColourDepth(int32_t index)
{
    if (!ColourDepthEnabled() || !SelectColourDepth(index)) return false;
    ReloadModuleList();
    return true;
}

bool CTechnologyPanelModel::ChooseModule(int32_t index)
{
    if (!InRange(index, m_modules.size())) return false;
    m_module = index;
    return true;
}

CTechnologyPanelState CTechnologyPanelModel::State() const
{
    return {m_technology, Caption(), ColourDepthEnabled(), m_height, m_width, m_colourDepth, m_module, m_modules};
}
