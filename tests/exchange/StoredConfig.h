// The simulated controller's stored CONFIG.XML, and one attribute of it as
// the controller's own parser reads it.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "Documents.h"
#include "jxsim/CJxSimulator.h"

inline std::string StoredConfig(jxsim::CJxSimulator& sim)
{
    jxsim::Bytes bytes;
    EXPECT_TRUE(sim.GetFile("CONFIG.XML", bytes));
    return std::string(bytes.begin(), bytes.end());
}

// "(absent)" for an attribute the element lacks, "(no E)" without element E.
inline std::string StoredConfigAttribute(jxsim::CJxSimulator& sim, const std::string& element, const std::string& name)
{
    for (const auto& e : jxsim::ScanXmlElements(StoredConfig(sim)))
        if (e.name == element) {
            const std::string* v = e.Attribute(name);
            return v ? *v : "(absent)";
        }
    return "(no " + element + ")";
}
