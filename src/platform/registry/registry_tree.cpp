#include "platform/registry/registry_tree.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <utility>

namespace platform::registry {
namespace {

bool SameText(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

std::string Escaped(std::string_view bytes)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out = "\"";
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (ch == '\\' || ch == '"') {
            out += '\\';
            out += ch;
        } else if (b < 0x20 || b >= 0x7F) {
            out += "\\x";
            out += kHex[b >> 4];
            out += kHex[b & 0xF];
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Reads a quoted, escaped text at the start of `s`, advancing past it.
bool Unescape(std::string_view& s, std::string& out)
{
    if (s.empty() || s.front() != '"') return false;
    s.remove_prefix(1);
    while (!s.empty()) {
        const char c = s.front();
        s.remove_prefix(1);
        if (c == '"') return true;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (s.empty()) return false;
        const char e = s.front();
        s.remove_prefix(1);
        if (e == '\\' || e == '"') {
            out += e;
        } else if (e == 'x' && s.size() >= 2 && HexDigit(s[0]) >= 0 && HexDigit(s[1]) >= 0) {
            out += static_cast<char>(HexDigit(s[0]) * 16 + HexDigit(s[1]));
            s.remove_prefix(2);
        } else {
            return false;
        }
    }
    return false;
}

// `@=1:"..."` or `"name"=1:"..."`.
bool ParseValue(std::string_view line, Value& value)
{
    if (line.starts_with("@")) {
        line.remove_prefix(1);
    } else if (!Unescape(line, value.name)) {
        return false;
    }
    if (line.empty() || line.front() != '=') return false;
    line.remove_prefix(1);
    const auto [end, ec] = std::from_chars(line.data(), line.data() + line.size(), value.type);
    if (ec != std::errc() || end == line.data() + line.size() || *end != ':') return false;
    line.remove_prefix(static_cast<std::size_t>(end - line.data()) + 1);
    return Unescape(line, value.data) && line.empty();
}

}  // namespace

std::string Tree::Join(std::string_view base, std::string_view sub)
{
    std::string out;
    for (const std::string_view part : {base, sub}) {
        std::size_t start = 0;
        while (start <= part.size()) {
            const auto cut = std::min(part.find('\\', start), part.size());
            if (cut > start) {
                if (!out.empty()) out += '\\';
                out.append(part.substr(start, cut - start));
            }
            start = cut + 1;
        }
    }
    return out;
}

bool Tree::ValidPath(std::string_view path)
{
    return std::none_of(path.begin(), path.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

const Key* Tree::Find(std::string_view path) const
{
    const auto it = std::find_if(keys_.begin(), keys_.end(),
                                 [&](const Key& k) { return SameText(k.path, path); });
    return it == keys_.end() ? nullptr : &*it;
}

Key* Tree::FindKey(std::string_view path) { return const_cast<Key*>(std::as_const(*this).Find(path)); }

Key& Tree::RootKey()
{
    if (Key* root = FindKey("")) return *root;
    return *keys_.insert(keys_.begin(), Key{});
}

bool Tree::Create(std::string_view path)
{
    bool made = false;
    std::size_t cut = 0;
    while (cut != std::string_view::npos) {
        cut = path.find('\\', cut + 1);
        const std::string_view prefix = path.substr(0, cut);
        if (!prefix.empty() && !Find(prefix)) {
            keys_.push_back({std::string(prefix), {}});
            made = true;
        }
    }
    return made;
}

bool Tree::Set(std::string_view path, const std::string& name, std::uint32_t type,
               const std::string& data)
{
    Key* key = path.empty() ? &RootKey() : FindKey(path);
    if (!key) return false;
    for (Value& v : key->values) {
        if (!SameText(v.name, name)) continue;
        if (v.type == type && v.data == data) return false;
        v.type = type;
        v.data = data;
        return true;
    }
    key->values.push_back({name, type, data});
    return true;
}

std::string Tree::Text() const
{
    std::string out = "; Keys under HKEY_CLASSES_ROOT and their values, in the order they were made.\n";
    for (const Key& key : keys_) {
        out += "[" + key.path + "]\n";
        for (const Value& v : key.values) {
            out += v.name.empty() ? std::string("@") : Escaped(v.name);
            out += "=" + std::to_string(v.type) + ":" + Escaped(v.data) + "\n";
        }
    }
    return out;
}

Tree Tree::FromText(std::string_view text)
{
    Tree tree;
    Key* current = nullptr;
    while (!text.empty()) {
        const auto end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            const std::string path = Join(line.substr(1, line.size() - 2), {});
            if (!ValidPath(path)) {
                current = nullptr;
                continue;
            }
            tree.Create(path);
            current = path.empty() ? &tree.RootKey() : tree.FindKey(path);
            continue;
        }
        Value value;
        if (current && ParseValue(line, value)) tree.Set(current->path, value.name, value.type, value.data);
    }
    return tree;
}

}  // namespace platform::registry
