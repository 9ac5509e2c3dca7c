#include "ModuleCatalogue.h"

#include "xml/CXmlDocument.h"

std::string JxCatalogueVersion(const std::string& path)
{
    CXmlDocument catalogue;
    // Read the way start-up reads it, so both agree on what the file says.
    if (catalogue.LoadFileWithCrLf(path) && catalogue.FindNextElement() && catalogue.GetElementName() == "MODULES") {
        std::string version = catalogue.GetAttribute("vr");
        if (!version.empty()) return version;
    }
    return "?.?.?";
}
