#pragma once
// Ways to look at a parameter list, shared by the parameter tests. Header only.
#include <stdexcept>
#include <string>
#include <vector>

#include "core/ParameterList.h"

namespace paramtest {

inline std::vector<std::string> names(const ParameterList& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.count(); ++i)
        out.push_back(list.name(i));
    return out;
}

inline Parameter& entry(const ParameterList& list, const char* name) {
    const int i = list.find(name);
    if (i < 0 || !list.record(i))
        throw std::runtime_error(std::string("no entry ") + name);
    return *list.record(i);
}

inline std::string text(const Parameter& p) { return p.text() ? p.text() : "<null>"; }

}  // namespace paramtest
