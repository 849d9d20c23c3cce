// The walk over a pugixml tree shared by the XML reader and XmlNode. Private to basekit.
#pragma once

#include <pugixml.hpp>

namespace basekit::detail {

// Calls `visit` on every node below `root` in document order, until it returns false; returns
// whether the walk got to the end. Iterative: parsed documents may nest deeper than the stack
// allows.
template <typename Visit>
bool visitDescendants(pugi::xml_node root, Visit&& visit) {
    for (pugi::xml_node node = root.first_child(); node;) {
        if (!visit(node)) {
            return false;
        }
        if (pugi::xml_node const child = node.first_child()) {
            node = child;
            continue;
        }
        while (node != root && !node.next_sibling()) {
            node = node.parent();
        }
        if (node == root) {
            break;
        }
        node = node.next_sibling();
    }
    return true;
}

}  // namespace basekit::detail
