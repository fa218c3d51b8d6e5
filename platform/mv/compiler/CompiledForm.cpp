// SPDX-License-Identifier: MIT
#include "platform/mv/compiler/CompiledForm.h"

#include <cstddef>
#include <utility>

#include "platform/mv/DynamicArray.h"
#include "platform/mv/RecordFormat.h"

namespace mv {
namespace {

constexpr char kValueMark = '\xFD';
constexpr char kSubvalueMark = '\xFC';

// A line feed would split the compiled field in two once the item is stored as lines.
bool NeedsEscape(unsigned char byte) {
    return byte == '%' || byte == '\n' || byte >= 0xF8;
}

void AppendEscaped(std::string_view text, std::string& out) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (NeedsEscape(byte)) {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        } else {
            out += c;
        }
    }
}

void AppendLeaf(const ExprNode& node, std::string& out) {
    switch (node.kind) {
        case NodeKind::kString:
            out += '"';
            AppendEscaped(node.text, out);
            out += '"';
            return;
        case NodeKind::kAtVariable:
        case NodeKind::kResult:
            out += '@';
            out += node.text;
            return;
        default:
            out += node.text;
            return;
    }
}

void AppendStatement(const ExprTree& tree, int root, std::string& out) {
    // Prefix order without recursion: a node, then its children left to right.
    std::vector<int> pending{root};
    bool first = true;
    while (!pending.empty()) {
        const ExprNode& node = tree.nodes[static_cast<std::size_t>(pending.back())];
        pending.pop_back();
        if (!first) {
            out += kSubvalueMark;
        }
        first = false;
        if (node.children.empty() && node.kind != NodeKind::kCall) {
            AppendLeaf(node, out);
            continue;
        }
        out += node.text;
        out += '/';
        out += std::to_string(node.children.size());
        for (auto child = node.children.rbegin(); child != node.children.rend(); ++child) {
            pending.push_back(*child);
        }
    }
}

// The arity of an operator token, or -1 for a leaf.
int ArityOf(std::string_view token) {
    if (token.empty() || token.front() == '"') {
        return -1;
    }
    const std::size_t slash = token.rfind('/');
    if (slash == std::string_view::npos || slash == 0 || slash + 1 == token.size()) {
        return -1;
    }
    int arity = 0;
    for (const char c : token.substr(slash + 1)) {
        if (c < '0' || c > '9' || arity > 1000) {
            return -1;
        }
        arity = arity * 10 + (c - '0');
    }
    return arity;
}

std::vector<std::string_view> Split(std::string_view text, char mark) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(mark, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) {
            return parts;
        }
        start = end + 1;
    }
}

std::optional<std::string> DescribeStatement(std::string_view statement) {
    // How many operands each open operator still waits for, innermost last.
    std::vector<int> waiting;
    bool complete = false;
    std::string out;
    for (const std::string_view token : Split(statement, kSubvalueMark)) {
        if (token.empty() || complete) {
            return std::nullopt;
        }
        if (!out.empty() && out.back() != '(') {
            out += ' ';
        }
        if (!waiting.empty()) {
            --waiting.back();
        }
        const int arity = ArityOf(token);
        if (arity < 0) {
            out += token;
        } else {
            out += '(';
            out += token.substr(0, token.rfind('/'));
            waiting.push_back(arity);
        }
        while (!waiting.empty() && waiting.back() == 0) {
            out += ')';
            waiting.pop_back();
        }
        complete = waiting.empty();
    }
    if (!complete) {
        return std::nullopt;
    }
    return out;
}

}  // namespace

std::string EncodeExpressions(const ExprTree& tree) {
    std::string out;
    for (std::size_t i = 0; i < tree.statements.size(); ++i) {
        if (i > 0) {
            out += kValueMark;
        }
        AppendStatement(tree, tree.statements[i], out);
    }
    return out;
}

std::string EncodeDependencies(const std::vector<Dependency>& dependencies) {
    std::string out;
    for (std::size_t i = 0; i < dependencies.size(); ++i) {
        if (i > 0) {
            out += kValueMark;
        }
        out += dependencies[i].name;
    }
    return out;
}

std::string WithCompiledFields(std::string_view record, std::string_view expressions,
                               std::string_view dependencies) {
    std::string out;
    const FieldSpan eighth = FindField(record, kFirstCompilerField - 1);
    if (eighth.found) {
        out.assign(record.substr(0, eighth.start + eighth.length));
    } else {
        out.assign(record);
        int fields = 1;
        for (const char c : record) {
            fields += c == DynamicArray::kFieldMark ? 1 : 0;
        }
        out.append(static_cast<std::size_t>(kFirstCompilerField - 1 - fields),
                   DynamicArray::kFieldMark);
    }
    out += DynamicArray::kFieldMark;
    out += kCompiledMarker;
    out += DynamicArray::kFieldMark;
    out += expressions;
    out += DynamicArray::kFieldMark;
    out += dependencies;
    return out;
}

std::optional<std::string> DescribeExpressions(std::string_view field) {
    std::string out;
    for (const std::string_view statement : Split(field, kValueMark)) {
        std::optional<std::string> described = DescribeStatement(statement);
        if (!described) {
            return std::nullopt;
        }
        if (!out.empty()) {
            out += "; ";
        }
        out += *described;
    }
    return out;
}

}  // namespace mv
