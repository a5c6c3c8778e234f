#pragma once
// The keys and values of the registry as the file registry keeps them: keys in the order they were
// made (a key's parents before it), each with its values in the order they were first set. Paths
// and names are ANSI bytes compared without regard to ASCII letter case.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform::registry {

struct Value {
    std::string name;  // "" is the key's default value
    std::uint32_t type = 0;
    std::string data;  // the bytes as given, a REG_SZ's NUL included
};

struct Key {
    std::string path;  // "Strumwell\shell\open\command"; "" is the root
    std::vector<Value> values;
};

class Tree {
public:
    // `sub` below `base`, with empty parts dropped: Join("A", "\B\\C") = "A\B\C".
    static std::string Join(std::string_view base, std::string_view sub);
    // Whether a path can name a key: no control characters.
    static bool ValidPath(std::string_view path);

    const Key* Find(std::string_view path) const;
    // Makes the key and each missing parent; true when anything was made.
    bool Create(std::string_view path);
    // Sets a value of an existing key; true when the stored value changed.
    bool Set(std::string_view path, const std::string& name, std::uint32_t type,
             const std::string& data);
    const std::vector<Key>& Keys() const { return keys_; }

    // The file form, plain ASCII: a "[path]" line per key, then its values as
    // `@=<type>:"<data>"` (default value) or `"<name>"=<type>:"<data>"`, with \\ \" and \xHH
    // escapes. Lines that do not parse are skipped when reading, so a damaged file loses only them.
    std::string Text() const;
    static Tree FromText(std::string_view text);

private:
    Key* FindKey(std::string_view path);
    // The root key, made first in the list when missing, since values may be set on it.
    Key& RootKey();
    std::vector<Key> keys_;
};

}  // namespace platform::registry
