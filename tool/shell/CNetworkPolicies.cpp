#include "CNetworkPolicies.h"

#include <cstdlib>
#include <strings.h>

#include "xml/CXmlDocument.h"

namespace {
// Decimal conversion as the site files have always been read: leading
// digits (with an optional sign), anything else, or nothing, reads 0.
int32_t Number(const CXmlDocument& doc, const char* name)
{
    return static_cast<int32_t>(std::strtol(doc.GetAttribute(name).c_str(), nullptr, 10));
}

bool Yes(const CXmlDocument& doc, const char* name) { return strcasecmp(doc.GetAttribute(name).c_str(), "yes") == 0; }

void ReadTriple(const CXmlDocument& doc, int32_t out[3])
{
    out[static_cast<int>(JxPolicyKind::TcpIp)] = Number(doc, "ip");
    out[static_cast<int>(JxPolicyKind::Direct)] = Number(doc, "direct");
    out[static_cast<int>(JxPolicyKind::Dialup)] = Number(doc, "dialup");
}
}  // namespace

static CNetworkPolicies ReadFrom(CXmlDocument& doc)
{
    CNetworkPolicies p;
    doc.ResetPosition();
    if (!doc.FindNextElement("KORCONFIG") || !doc.EnterElement()) return p;
    // Each element is searched forward from the last one found, so the
    // elements count only in this order.
    if (doc.FindNextElement("NETWORK_TIMEOUTS")) ReadTriple(doc, p.timeout);
    if (doc.FindNextElement("NETWORK_RETRIES")) {
        int32_t retries[3];
        ReadTriple(doc, retries);
        for (int k = 0; k < 3; ++k) p.retries[k] = static_cast<uint8_t>(retries[k]);
    }
    if (doc.FindNextElement("NETWORK_DISCONNECT")) ReadTriple(doc, p.disconnect);
    if (doc.FindNextElement("TASK_FAILURE")) p.taskFailureMaxTime = Number(doc, "max_time");
    if (doc.FindNextElement("POLICIES")) {
        p.mode = Number(doc, "mode");
        p.minFrameDuration = Number(doc, "min_frame_duration");
        p.enforceNoFlash = Yes(doc, "enforce_no_flash");
        p.enforceNoEffects = Yes(doc, "enforce_no_effects");
        p.enforceMinFrameDuration = Yes(doc, "enforce_min_frame_duration");
    }
    if (doc.FindNextElement("RELAXED_VALIDATION")) p.relaxedValidation = Yes(doc, "enable");
    return p;
}

CNetworkPolicies ReadNetworkPolicies(const std::string& text)
{
    CXmlDocument doc;
    if (!doc.Parse(text, true)) return {};
    return ReadFrom(doc);
}

CNetworkPolicies ReadNetworkPoliciesFile(const std::string& path)
{
    CXmlDocument doc;
    if (!doc.LoadFile(path)) return {};
    return ReadFrom(doc);
}
