// The display description part of the Set Configuration window as plain
// state: the Technology list, the technology panel, the Display Name field,
// and the three CONFIG.XML values they make: the display type string
// ("16X48MONO1.HLV.Jx"), the module identifier and, unless the operator has
// named the display, a generated Display Name ("Halvane 16 x 48 Monochrome").
#pragma once

#include <cstdint>
#include <string>

#include "CTechnologyPanelModel.h"

class CConfigDocument;

class CDisplayTypeEditor {
public:
    // The catalogue must outlive the editor. The Technology list starts on
    // "Halvane Technology" and enabled.
    explicit CDisplayTypeEditor(const CXmlDocument& catalogue);
    CDisplayTypeEditor(const CDisplayTypeEditor&) = delete;
    CDisplayTypeEditor& operator=(const CDisplayTypeEditor&) = delete;

    // The panel's lists and selections. The operator's choices go through
    // the Choose methods below, so that the display type follows them.
    const CTechnologyPanelModel& Panel() const { return m_panel; }

    // The operator chose an item of the panel: the display type, module
    // identifier and Display Name are composed anew. False, and nothing
    // changes, for an item the list does not have.
    bool ChooseHeight(int32_t index);
    bool ChooseWidth(int32_t index);
    bool ChooseColourDepth(int32_t index);
    bool ChooseModule(int32_t index);

    // The Technology list: selection (-1: none) and whether it takes input.
    int32_t technologySelection = 0;
    bool technologyListEnabled = true;
    // The Display Name field, as the operator may have edited it.
    std::string displayName;

    // Fills everything from the document's type, ds and mid, then composes.
    // Only the colour depth, height and width are taken from the type: the
    // technology is always shown as Halvane and the list is disabled. The
    // Display Name is generated only when ds is empty.
    void ParseFrom(const CConfigDocument& document);
    // Recomposes the display type and module identifier from the current
    // choices; with `replaceDisplayName` the Display Name is generated too.
    // Every choice the operator makes on the panel does this with true.
    void Compose(bool replaceDisplayName);

    const std::string& DisplayType() const { return m_displayType; }
    const std::string& ModuleIdentifier() const { return m_moduleId; }

    // The type and Display Name built from parts ("%sX%s%s.%s.%s" and
    // "%s %s x %s %s").
    static std::string FormatDisplayType(const std::string& height, const std::string& width,
                                         const std::string& colourCode, const std::string& technologyCode);
    static std::string FormatDisplayName(const std::string& technologyName, const std::string& height,
                                         const std::string& width, const std::string& colourName);

private:
    bool Chose(bool changed);

    CTechnologyPanelModel m_panel;
    std::string m_displayType;
    std::string m_moduleId;
};
