#include "platform/registry.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

std::string Fold(std::string_view s)
{
    std::string r(s);
    for (char &c : r)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return r;
}

struct Value {
    std::string name;
    DWORD type;
    std::string data;
};

struct Key {
    std::string name;
    std::vector<Value> values;                           // creation order
    std::map<std::string, std::shared_ptr<Key>> subkeys; // by folded name
    bool deleted = false;

    Value *find(std::string_view valueName)
    {
        const std::string f = Fold(valueName);
        for (Value &v : values)
            if (Fold(v.name) == f)
                return &v;
        return nullptr;
    }
};

struct Root {
    HKEY hkey;
    const char *fileName;
    std::shared_ptr<Key> tree;
};

struct Handle {
    HKEY root;
    std::shared_ptr<Key> key;
};

struct Registry {
    std::mutex mutex;
    std::string folder; // the folder the trees were loaded from
    Root roots[3] = {{HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT.reg", nullptr},
                     {HKEY_CURRENT_USER, "HKEY_CURRENT_USER.reg", nullptr},
                     {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE.reg", nullptr}};
    std::unordered_map<HKEY, Handle> handles;
    HKEY next = 1;
};

Registry &registry()
{
    static Registry r;
    return r;
}

std::string CurrentFolder()
{
    const QByteArray env = qgetenv("MAP_REGISTRY_DIR");
    if (!env.isEmpty())
        return env.toStdString();
    return (QDir::homePath() + "/.config/map-editor/registry").toStdString();
}

// Names and data go into the file percent-encoded, so that any byte survives
// and every field is one word.
std::string Encode(std::string_view s)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string r = "=";
    for (unsigned char c : s) {
        if (c <= 0x20 || c >= 0x7F || c == '%') {
            r += '%';
            r += hex[c >> 4];
            r += hex[c & 15];
        } else {
            r += char(c);
        }
    }
    return r;
}

bool Decode(std::string_view s, std::string *out)
{
    if (s.empty() || s[0] != '=')
        return false;
    out->clear();
    for (size_t i = 1; i < s.size(); ++i) {
        if (s[i] != '%') {
            *out += s[i];
            continue;
        }
        if (i + 2 >= s.size())
            return false;
        auto digit = [](char c) {
            return c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        };
        const int hi = digit(s[i + 1]), lo = digit(s[i + 2]);
        if (hi < 0 || lo < 0)
            return false;
        *out += char(hi * 16 + lo);
        i += 2;
    }
    return true;
}

void Write(const Key &key, const std::string &path, std::ostringstream &os)
{
    os << "K " << Encode(path) << '\n';
    for (const Value &v : key.values)
        os << "V " << v.type << ' ' << Encode(v.name) << ' ' << Encode(v.data) << '\n';
    for (const auto &[folded, sub] : key.subkeys)
        Write(*sub, path.empty() ? sub->name : path + '\\' + sub->name, os);
}

std::vector<std::string> SplitPath(std::string_view path)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string_view::npos)
            end = path.size();
        if (end > start)
            parts.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::shared_ptr<Key> Load(const std::string &file)
{
    auto tree = std::make_shared<Key>();
    QFile f(QString::fromStdString(file));
    if (!f.open(QIODevice::ReadOnly))
        return tree;
    std::istringstream is(f.readAll().toStdString());
    std::string line;
    std::shared_ptr<Key> current = tree;
    while (std::getline(is, line)) {
        std::istringstream ls(line);
        std::string tag;
        ls >> tag;
        if (tag == "K") {
            std::string enc, path;
            ls >> enc;
            if (!Decode(enc, &path))
                continue;
            current = tree;
            for (const std::string &part : SplitPath(path)) {
                auto &slot = current->subkeys[Fold(part)];
                if (!slot) {
                    slot = std::make_shared<Key>();
                    slot->name = part;
                }
                current = slot;
            }
        } else if (tag == "V") {
            DWORD type = 0;
            std::string encName, encData;
            ls >> type >> encName >> encData;
            Value v{{}, type, {}};
            if (Decode(encName, &v.name) && Decode(encData, &v.data) && !current->find(v.name))
                current->values.push_back(std::move(v));
        }
    }
    return tree;
}

// Called with the mutex held: a change of MAP_REGISTRY_DIR starts from the
// files of the new folder.
Root *FindRoot(Registry &r, HKEY hkey)
{
    const std::string folder = CurrentFolder();
    if (folder != r.folder) {
        r.folder = folder;
        for (Root &root : r.roots)
            root.tree = nullptr;
    }
    for (Root &root : r.roots)
        if (root.hkey == hkey) {
            if (!root.tree)
                root.tree = Load(folder + "/" + root.fileName);
            return &root;
        }
    return nullptr;
}

bool Save(Registry &r, HKEY rootKey)
{
    Root *root = FindRoot(r, rootKey);
    if (!root)
        return false;
    // An empty root keeps no file: removing the last key leaves the folder
    // as it was before the first one was made.
    const QString path = QString::fromStdString(r.folder + "/" + root->fileName);
    if (root->tree->values.empty() && root->tree->subkeys.empty())
        return !QFile::exists(path) || QFile::remove(path);
    std::ostringstream os;
    Write(*root->tree, "", os);
    QDir().mkpath(QString::fromStdString(r.folder));
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    const std::string text = os.str();
    f.write(text.data(), qint64(text.size()));
    return f.commit();
}

// The key behind a handle (a root or an opened key), with its root.
LONG Resolve(Registry &r, HKEY hkey, Handle *out)
{
    if (Root *root = FindRoot(r, hkey)) {
        *out = Handle{hkey, root->tree};
        return ERROR_SUCCESS;
    }
    auto it = r.handles.find(hkey);
    if (it == r.handles.end())
        return ERROR_INVALID_HANDLE;
    if (it->second.key->deleted)
        return ERROR_KEY_DELETED;
    *out = it->second;
    return ERROR_SUCCESS;
}

HKEY NewHandle(Registry &r, const Handle &h)
{
    HKEY id = r.next++;
    if (id >= HKEY_CLASSES_ROOT) { // keep clear of the root ids
        r.next = 1;
        id = r.next++;
    }
    r.handles[id] = h;
    return id;
}

void MarkDeleted(Key &key)
{
    key.deleted = true;
    for (auto &[f, sub] : key.subkeys)
        MarkDeleted(*sub);
}

LONG CopyOut(const std::string &bytes, BYTE *data, DWORD *dataSize)
{
    if (!dataSize)
        return data ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
    const DWORD need = DWORD(bytes.size());
    if (data && *dataSize < need) {
        *dataSize = need;
        return ERROR_MORE_DATA;
    }
    if (data)
        std::memcpy(data, bytes.data(), need);
    *dataSize = need;
    return ERROR_SUCCESS;
}

LONG CopyName(const std::string &name, char *buffer, DWORD *length)
{
    if (!buffer || !length)
        return ERROR_INVALID_PARAMETER;
    if (*length < name.size() + 1)
        return ERROR_MORE_DATA;
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    *length = DWORD(name.size());
    return ERROR_SUCCESS;
}

// Runs `body` on the key a handle names, under the registry's lock.
template <class Body>
LONG WithOpenKey(HKEY key, Body body)
{
    Registry &r = registry();
    std::lock_guard lock(r.mutex);
    Handle h;
    if (LONG e = Resolve(r, key, &h))
        return e;
    return body(r, h);
}

// The key reached from `key` through the path's names; null when one is missing.
std::shared_ptr<Key> Descend(std::shared_ptr<Key> key, const std::string *begin, const std::string *end)
{
    for (const std::string *part = begin; key && part != end; ++part) {
        auto it = key->subkeys.find(Fold(*part));
        key = it == key->subkeys.end() ? nullptr : it->second;
    }
    return key;
}

} // namespace

LONG RegOpenKeyExA(HKEY key, const char *subKey, DWORD, REGSAM, HKEY *result)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    return WithOpenKey(key, [&](Registry &r, Handle &h) -> LONG {
        const std::vector<std::string> parts = SplitPath(subKey ? subKey : "");
        h.key = Descend(h.key, parts.data(), parts.data() + parts.size());
        if (!h.key)
            return ERROR_FILE_NOT_FOUND;
        *result = NewHandle(r, h);
        return ERROR_SUCCESS;
    });
}

LONG RegCreateKeyExA(HKEY key, const char *subKey, DWORD, char *, DWORD, REGSAM, const void *, HKEY *result,
                     DWORD *disposition)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    return WithOpenKey(key, [&](Registry &r, Handle &h) -> LONG {
        bool created = false;
        for (const std::string &part : SplitPath(subKey ? subKey : "")) {
            auto &slot = h.key->subkeys[Fold(part)];
            if (!slot) {
                slot = std::make_shared<Key>();
                slot->name = part;
                created = true;
            }
            h.key = slot;
        }
        if (created && !Save(r, h.root))
            return ERROR_CANTWRITE;
        if (disposition)
            *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
        *result = NewHandle(r, h);
        return ERROR_SUCCESS;
    });
}

LONG RegCloseKey(HKEY key)
{
    Registry &r = registry();
    std::lock_guard lock(r.mutex);
    if (key >= HKEY_CLASSES_ROOT && key <= HKEY_LOCAL_MACHINE)
        return ERROR_SUCCESS;
    return r.handles.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG RegQueryValueExA(HKEY key, const char *name, DWORD *, DWORD *type, BYTE *data, DWORD *dataSize)
{
    return WithOpenKey(key, [&](Registry &, Handle &h) -> LONG {
        const Value *v = h.key->find(name ? name : "");
        if (!v)
            return ERROR_FILE_NOT_FOUND;
        if (type)
            *type = v->type;
        return CopyOut(v->data, data, dataSize);
    });
}

LONG RegSetValueExA(HKEY key, const char *name, DWORD, DWORD type, const BYTE *data, DWORD dataSize)
{
    if (!data && dataSize)
        return ERROR_INVALID_PARAMETER;
    return WithOpenKey(key, [&](Registry &r, Handle &h) -> LONG {
        std::string bytes(reinterpret_cast<const char *>(data), data ? dataSize : 0);
        if (Value *v = h.key->find(name ? name : "")) {
            v->type = type;
            v->data = std::move(bytes);
        } else {
            h.key->values.push_back(Value{name ? name : "", type, std::move(bytes)});
        }
        return Save(r, h.root) ? ERROR_SUCCESS : ERROR_CANTWRITE;
    });
}

LONG RegEnumValueA(HKEY key, DWORD index, char *name, DWORD *nameLength, DWORD *, DWORD *type, BYTE *data,
                   DWORD *dataSize)
{
    return WithOpenKey(key, [&](Registry &, Handle &h) -> LONG {
        if (index >= h.key->values.size())
            return ERROR_NO_MORE_ITEMS;
        const Value &v = h.key->values[index];
        if (LONG e = CopyName(v.name, name, nameLength))
            return e;
        if (type)
            *type = v.type;
        return CopyOut(v.data, data, dataSize);
    });
}

LONG RegEnumKeyExA(HKEY key, DWORD index, char *name, DWORD *nameLength, DWORD *, char *keyClass,
                   DWORD *classLength, void *)
{
    return WithOpenKey(key, [&](Registry &, Handle &h) -> LONG {
        if (index >= h.key->subkeys.size())
            return ERROR_NO_MORE_ITEMS;
        auto it = std::next(h.key->subkeys.begin(), index);
        if (keyClass && classLength && *classLength > 0) {
            keyClass[0] = '\0';
            *classLength = 0;
        }
        return CopyName(it->second->name, name, nameLength);
    });
}

LONG RegDeleteValueA(HKEY key, const char *name)
{
    return WithOpenKey(key, [&](Registry &r, Handle &h) -> LONG {
        const std::string f = Fold(name ? name : "");
        auto &vals = h.key->values;
        auto it = std::find_if(vals.begin(), vals.end(), [&](const Value &v) { return Fold(v.name) == f; });
        if (it == vals.end())
            return ERROR_FILE_NOT_FOUND;
        vals.erase(it);
        return Save(r, h.root) ? ERROR_SUCCESS : ERROR_CANTWRITE;
    });
}

LONG RegDeleteKeyA(HKEY key, const char *subKey)
{
    return WithOpenKey(key, [&](Registry &r, Handle &h) -> LONG {
        const std::vector<std::string> parts = SplitPath(subKey ? subKey : "");
        if (parts.empty())
            return ERROR_ACCESS_DENIED; // a key does not delete itself through its own handle
        const std::shared_ptr<Key> parent = Descend(h.key, parts.data(), parts.data() + parts.size() - 1);
        if (!parent)
            return ERROR_FILE_NOT_FOUND;
        auto it = parent->subkeys.find(Fold(parts.back()));
        if (it == parent->subkeys.end())
            return ERROR_FILE_NOT_FOUND;
        if (!it->second->subkeys.empty())
            return ERROR_ACCESS_DENIED;
        MarkDeleted(*it->second);
        parent->subkeys.erase(it);
        return Save(r, h.root) ? ERROR_SUCCESS : ERROR_CANTWRITE;
    });
}
