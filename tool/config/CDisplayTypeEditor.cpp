#include "CDisplayTypeEditor.h"

#include <cctype>

#include "CConfigDocument.h"

namespace {

std::string UpperCase(std::string text)
{
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

template <typename Table>
const typename Table::value_type* Entry(const Table& table, int32_t index)
{
    return index >= 0 && static_cast<size_t>(index) < table.size() ? &table[static_cast<size_t>(index)] : nullptr;
}

}  // namespace

CDisplayTypeEditor::CDisplayTypeEditor(const CXmlDocument& catalogue) : m_panel(catalogue) {}

bool CDisplayTypeEditor::Chose(bool changed)
{
    if (changed) Compose(true);
    return changed;
}

bool CDisplayTypeEditor::ChooseHeight(int32_t index) { return Chose(m_panel.ChooseHeight(index)); }
bool CDisplayTypeEditor::ChooseWidth(int32_t index) { return Chose(m_panel.ChooseWidth(index)); }
bool CDisplayTypeEditor::ChooseColourDepth(int32_t index) { return Chose(m_panel.ChooseColourDepth(index)); }
bool CDisplayTypeEditor::ChooseModule(int32_t index) { return Chose(m_panel.ChooseModule(index)); }

std::string CDisplayTypeEditor::FormatDisplayType(const std::string& height, const std::string& width,
                                                  const std::string& colourCode, const std::string& technologyCode)
{
    return height + "X" + width + colourCode + "." + technologyCode + ".Jx";
}

std::string CDisplayTypeEditor::FormatDisplayName(const std::string& technologyName, const std::string& height,
                                                  const std::string& width, const std::string& colourName)
{
    return technologyName + " " + height + " x " + width + " " + colourName;
}

void CDisplayTypeEditor::Compose(bool replaceDisplayName)
{
    const JxColourDepth* depth = Entry(kJxColourDepths, m_panel.ColourDepthSelection());
    const JxTechnology* technology = Entry(kJxTechnologies, technologySelection);
    const std::string colourCode = depth ? depth->code : "";
    const std::string colourName = depth ? depth->name : "";
    const std::string technologyCode = technology ? technology->code : "";
    const std::string technologyName = technology ? technology->name : "";

    m_displayType = FormatDisplayType(m_panel.HeightText(), m_panel.WidthText(), colourCode, technologyCode);
    if (replaceDisplayName)
        displayName = FormatDisplayName(technologyName, m_panel.HeightText(), m_panel.WidthText(), colourName);
    m_moduleId = m_panel.ModuleIdentifier();
}

void CDisplayTypeEditor::ParseFrom(const CConfigDocument& document)
{
    std::string type;
    document.GetDisplayType(type);
    type = UpperCase(type);

    // Controllers in the field all report themselves as Halvane; the code in
    // the type is not trusted to pick another technology.
    technologySelection = 0;
    m_panel.SelectTechnology(0);
    technologyListEnabled = false;

    size_t colourAt = std::string::npos;
    int32_t depth = 0;
    for (size_t i = 0; i < kJxColourDepths.size(); ++i) {
        colourAt = type.find(kJxColourDepths[i].code);
        if (colourAt != std::string::npos) {
            depth = static_cast<int32_t>(i);
            break;
        }
    }
    m_panel.SelectColourDepth(depth);

    const size_t x = type.find('X');
    if (x != std::string::npos) {
        m_panel.SelectHeightByPrefix(std::string_view(type).substr(0, x));
        std::string_view width;
        if (colourAt != std::string::npos && colourAt > x) {
            width = std::string_view(type).substr(x + 1, colourAt - x - 1);
        } else {
            // No colour code after the "X": the width is the digits after it.
            size_t end = x + 1;
            while (end < type.size() && std::isdigit(static_cast<unsigned char>(type[end]))) ++end;
            width = std::string_view(type).substr(x + 1, end - x - 1);
        }
        m_panel.SelectWidthByPrefix(width);
    }

    std::string description;
    document.GetDescription(description);
    displayName = description;

    m_panel.ReloadModuleList();
    std::string moduleId;
    document.GetModuleId(moduleId);
    m_panel.SelectModuleById(moduleId);

    Compose(description.empty());
}
