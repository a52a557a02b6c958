#pragma once
// kv::LayoutDocument: the structure of a layout text, a tree of component
// blocks with their property lines, read from text and written back.
//
// Parsing keeps what is well formed and lists the rest as problems: lines
// that are neither a component line, "end" nor "Prop = value", surplus or
// missing ends, text after the root's end. Everything is bounded (text
// size, line length, nesting depth, number of components and of properties
// per component): a block beyond a bound is listed and skipped as a whole.
// Property values stay text here; a list or a string continued with "+" may
// span several lines and is joined into one value.

#include "platform/layoutio/LayoutProblem.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

struct LayoutProperty {
    int line = 0;
    std::string name;
    std::string value;
};

struct LayoutNode {
    int line = 0;
    bool inherited = false; // "inherited" (must exist) or "object" (created when missing)
    std::string name;
    std::string className;
    std::vector<LayoutProperty> properties;
    std::vector<LayoutNode> children;
};

class LayoutDocument {
public:
    static constexpr std::size_t kMaxTextBytes = 16u << 20;
    static constexpr std::size_t kMaxValueBytes = 256u << 10;
    static constexpr std::size_t kMaxNameBytes = 256;
    static constexpr std::size_t kMaxDepth = 32;
    static constexpr std::size_t kMaxComponents = 4000;
    static constexpr std::size_t kMaxProperties = 500;

    // The root block; nothing when the text has no component line at all
    // (or is beyond the size bound).
    static std::optional<LayoutNode> parse(std::string_view text, ProblemLog &problems);
    static std::string write(const LayoutNode &root);
};

} // namespace kv
