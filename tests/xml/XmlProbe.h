#pragma once

// Looks inside a CXmlDocument's position table: a dump of the element tree
// (names, the four offsets, chosen attribute values) that tells whether two
// documents hold the same elements at the same places, and a check that
// every recorded position lies in the text on the character it names.
// Used by the unit tests and the fuzz target.

#include <string>
#include <string_view>
#include <vector>

#include "xml/CXmlDocument.h"

struct CXmlDocumentInspector {
    // One line per element in document order: depth, name, offsets and the
    // values of the given attributes.
    static std::string Dump(const CXmlDocument& doc, const std::vector<std::string>& attributes = {})
    {
        std::string out;
        if (doc.m_positions.empty()) return out;
        struct Item {
            int32_t index;
            int depth;
        };
        std::vector<Item> stack;
        if (doc.m_positions[0].firstChild != 0) stack.push_back({doc.m_positions[0].firstChild, 0});
        while (!stack.empty()) {
            const Item item = stack.back();
            stack.pop_back();
            const ElementPosition& r = doc.m_positions[static_cast<size_t>(item.index)];
            out += std::to_string(item.depth) + " " + std::string(doc.TagName(item.index)) + " " +
                   std::to_string(r.startTagBegin) + "," + std::to_string(r.startTagEnd) + "," +
                   std::to_string(r.endTagBegin) + "," + std::to_string(r.endTagEnd);
            for (const std::string& name : attributes) out += " " + name + "=[" + doc.AttributeOf(item.index, name) + "]";
            out += "\n";
            // Children pushed last-first so they come out in order; the
            // sibling after this element is already on the stack below them.
            std::vector<int32_t> children;
            for (int32_t c = r.firstChild; c != 0; c = doc.m_positions[static_cast<size_t>(c)].nextSibling)
                children.push_back(c);
            for (auto it = children.rbegin(); it != children.rend(); ++it) stack.push_back({*it, item.depth + 1});
        }
        return out;
    }

    // Empty when every element reachable from the root has its positions on
    // the right characters and in order; else what is wrong.
    static std::string CheckPositions(const CXmlDocument& doc)
    {
        if (doc.m_positions.empty()) return {};
        const std::string& t = doc.GetText();
        const auto n = static_cast<int64_t>(t.size());
        auto at = [&](int32_t pos) { return pos >= 0 && pos < n ? t[static_cast<size_t>(pos)] : '\0'; };
        std::vector<int32_t> stack;
        if (doc.m_positions[0].firstChild != 0) stack.push_back(doc.m_positions[0].firstChild);
        while (!stack.empty()) {
            const int32_t i = stack.back();
            stack.pop_back();
            if (i <= 0 || i >= doc.m_nextFree) return "link to record " + std::to_string(i) + " outside the table";
            const ElementPosition& r = doc.m_positions[static_cast<size_t>(i)];
            const std::string where = "element " + std::to_string(i) + ": ";
            if (at(r.startTagBegin) != '<') return where + "start tag does not begin with <";
            if (at(r.startTagEnd) != '>') return where + "start tag does not end with >";
            if (at(r.endTagEnd) != '>') return where + "end tag does not end with >";
            const bool empty = r.startTagEnd == r.endTagBegin + 1;
            if (empty ? at(r.endTagBegin) != '/' : at(r.endTagBegin) != '<')
                return where + "end tag begin on the wrong character";
            if (!(r.startTagBegin < r.startTagEnd && r.endTagBegin <= r.endTagEnd &&
                  (empty || r.startTagEnd < r.endTagBegin)))
                return where + "positions out of order";
            for (int32_t c = r.firstChild; c != 0;) {
                if (c <= 0 || c >= doc.m_nextFree) return where + "child link outside the table";
                const ElementPosition& k = doc.m_positions[static_cast<size_t>(c)];
                if (k.parent != i) return where + "child with another parent";
                if (k.startTagBegin <= r.startTagEnd || k.endTagEnd >= r.endTagBegin)
                    return where + "child outside its parent";
                stack.push_back(c);
                c = k.nextSibling;
            }
        }
        return {};
    }

    static int32_t NextFree(const CXmlDocument& doc) { return doc.m_nextFree; }
    static size_t TableSize(const CXmlDocument& doc) { return doc.m_positions.size(); }
};
