// The display hardware choices of the Set Configuration window as plain
// state: technology, height, width, colour depth and module type, with the
// module types read from the module catalogue (MODULES.XML). The Qt panel
// (views/) shows these lists and selections and forwards the operator's
// choices to the Choose... methods.
//
// Catalogue layout:
//   <MODULES vr="...">
//     <DISPLAYTECH type="HLV|BRT|CN">
//       <COLORTECH type="MONO|RG|RGB">
//         <MODULE type="name shown" value="identifier written as mid"/>
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "xml/CXmlDocument.h"

struct JxTechnology {
    const char* listItem;  // Technology list item and the panel's caption
    const char* code;      // in the display type string and MODULES.XML
    const char* name;      // in generated display names
};
inline constexpr std::array<JxTechnology, 3> kJxTechnologies = {{
    {"Halvane Technology", "HLV", "Halvane"},
    {"Brightel Technology", "BRT", "Brightel"},
    {"Cindrel Technology", "CN", "Cindrel"},
}};

struct JxColourDepth {
    const char* listItem;     // Colour Depth list item
    const char* code;         // in the display type string
    const char* name;         // in generated display names
    const char* colourClass;  // COLORTECH type in MODULES.XML
};
inline constexpr std::array<JxColourDepth, 6> kJxColourDepths = {{
    {"Monochrome", "MONO1", "Monochrome", "MONO"},
    {"Mono 64 Shades", "MONO64", "Monochrome 64", "MONO"},
    {"Tricolor", "TRI3", "Tricolor", "RG"},
    {"Tricolor 256 Shades", "TRI256", "Tricolor 256", "RG"},
    {"RGB 8 Colors", "RGB8", "RGB 8", "RGB"},
    {"RGB 32K Colors", "RGB32K", "RGB 32K", "RGB"},
}};

// A Module Type list item: the module's name and, as item data, its position
// in the panel's table of module identifiers.
struct JxModuleItem {
    std::string type;
    int32_t data;

    bool operator==(const JxModuleItem&) const = default;
};

// What the panel shows: its caption, the selections of its four lists (-1:
// none), whether the Colour Depth list takes input, and the Module Type items.
struct CTechnologyPanelState {
    int32_t technology = 0;
    std::string caption;
    bool colourDepthEnabled = true;
    int32_t height = -1;
    int32_t width = -1;
    int32_t colourDepth = -1;
    int32_t module = -1;
    std::vector<JxModuleItem> moduleItems;

    bool operator==(const CTechnologyPanelState&) const = default;
};

class CTechnologyPanelModel {
public:
    // Starts on technology 0 with the lists reset. The catalogue is read, not
    // kept: it must outlive the model. A catalogue that did not load gives
    // empty Module Type lists.
    explicit CTechnologyPanelModel(const CXmlDocument& catalogue);
    CTechnologyPanelModel(const CTechnologyPanelModel&) = delete;
    CTechnologyPanelModel& operator=(const CTechnologyPanelModel&) = delete;

    // ---- lists ---------------------------------------------------------------
    // Height: "7", then 8 to 512 in steps of 8. Width: 8 to 1024 in steps of 8.
    static const std::vector<std::string>& HeightItems();
    static const std::vector<std::string>& WidthItems();
    static std::vector<std::string> ColourDepthItems();
    const std::vector<JxModuleItem>& ModuleItems() const { return m_modules; }

    // ---- state ---------------------------------------------------------------
    CTechnologyPanelState State() const;
    int32_t Technology() const { return m_technology; }
    const char* Caption() const;                  // the technology's list item
    bool ColourDepthEnabled() const { return m_technology == 0; }
    int32_t HeightSelection() const { return m_height; }       // -1: none
    int32_t WidthSelection() const { return m_width; }
    int32_t ColourDepthSelection() const { return m_colourDepth; }
    int32_t ModuleSelection() const { return m_module; }
    std::string HeightText() const;               // empty without a selection
    std::string WidthText() const;
    // Identifier of the selected module type; empty when the list is empty.
    std::string ModuleIdentifier() const;

    // ---- what the panel does -------------------------------------------------
    // Technology 0 to 2: caption, reset lists; colour depth only for 0. False,
    // and nothing changes, for another index.
    bool SelectTechnology(int32_t index);
    // First colour depth, module list reloaded, first height and width.
    void ResetLists();
    // Fills the Module Type list from the catalogue for the technology and
    // the colour class of the selected colour depth, and selects its first
    // item.
    void ReloadModuleList();

    // Selections made by the window while it fills itself (no notification).
    // Each picks the first item that begins with `text`, without regard to
    // case; when none does the selection stays. False when none matched.
    bool SelectHeightByPrefix(std::string_view text);
    bool SelectWidthByPrefix(std::string_view text);
    // Sets the colour depth without reloading the module list.
    bool SelectColourDepth(int32_t index);
    // The first module type whose identifier equals `moduleId` exactly; the
    // selection stays when none does.
    bool SelectModuleById(std::string_view moduleId);

    // ---- the operator's choices ------------------------------------------------
    // Each is false, and nothing changes, for an index the list does not have.
    // The Set Configuration window makes them through CDisplayTypeEditor,
    // which recomposes the display type after each.
    bool ChooseHeight(int32_t index);
    bool ChooseWidth(int32_t index);
    // Reloads the module list. Ignored while the colour depth list is disabled.
    bool ChooseColourDepth(int32_t index);
    bool ChooseModule(int32_t index);

private:
    const CXmlDocument& m_catalogue;
    int32_t m_technology = 0;
    int32_t m_height = -1;
    int32_t m_width = -1;
    int32_t m_colourDepth = -1;
    int32_t m_module = -1;
    std::vector<JxModuleItem> m_modules;
    std::vector<std::string> m_identifiers;  // by item data
};
