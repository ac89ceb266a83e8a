#include "platform/module.h"

#include <dlfcn.h>
#include <filesystem>
#include <mutex>
#include <unistd.h>
#include <unordered_map>

namespace {

struct Loaded {
    void *dl;
    int count;
    std::string path;
};

struct ModuleTable {
    std::mutex mutex;
    std::unordered_map<HMODULE, Loaded> modules;
    HMODULE next = 1;
};

ModuleTable &table()
{
    static ModuleTable t;
    return t;
}

std::string ProgramPath()
{
    std::error_code ec;
    auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : p.string();
}

std::string FolderOf(const std::string &path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The file that dlopen actually mapped, so that two spellings of one path
// give one module id.
std::string RealPath(const std::string &path)
{
    std::error_code ec;
    auto p = std::filesystem::canonical(path, ec);
    return ec ? path : p.string();
}

HMODULE Register(void *dl, const std::string &path)
{
    ModuleTable &t = table();
    std::lock_guard lock(t.mutex);
    for (auto &[id, m] : t.modules)
        if (m.dl == dl) {
            ++m.count;
            dlclose(dl); // the table holds one reference per id
            return id;
        }
    if (t.next == 0) {
        dlclose(dl);
        return 0;
    }
    const HMODULE id = t.next++;
    t.modules.emplace(id, Loaded{dl, 1, path});
    return id;
}

HMODULE LoadPath(const std::string &path)
{
    if (path.empty() || !std::filesystem::is_regular_file(path))
        return 0;
    const std::string real = RealPath(path);
    void *dl = dlopen(real.c_str(), RTLD_NOW | RTLD_LOCAL);
    return dl ? Register(dl, real) : 0;
}

} // namespace

HMODULE LoadLibraryA(const char *fileName)
{
    if (!fileName || !*fileName)
        return 0;
    std::string name(fileName);
    if (name.find_first_of("/\\") != std::string::npos) {
        for (char &c : name)
            if (c == '\\')
                c = '/';
        return LoadPath(name);
    }
    if (HMODULE m = LoadPath(FolderOf(ProgramPath()) + name))
        return m;
    std::error_code ec;
    const auto cwd = std::filesystem::current_path(ec);
    if (!ec)
        if (HMODULE m = LoadPath((cwd / name).string()))
            return m;
    void *dl = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!dl)
        return 0;
    Dl_info info{};
    std::string path = name;
    if (void *sym = dlsym(dl, "_init"); sym && dladdr(sym, &info) && info.dli_fname)
        path = info.dli_fname;
    return Register(dl, path);
}

FARPROC GetProcAddress(HMODULE module, const char *name)
{
    if (!name)
        return nullptr;
    ModuleTable &t = table();
    void *dl;
    {
        std::lock_guard lock(t.mutex);
        auto it = t.modules.find(module);
        if (it == t.modules.end())
            return nullptr;
        dl = it->second.dl;
    }
    return reinterpret_cast<FARPROC>(dlsym(dl, name));
}

BOOL FreeLibrary(HMODULE module)
{
    ModuleTable &t = table();
    void *dl = nullptr;
    {
        std::lock_guard lock(t.mutex);
        auto it = t.modules.find(module);
        if (it == t.modules.end())
            return FALSE;
        if (--it->second.count > 0)
            return TRUE;
        dl = it->second.dl;
        t.modules.erase(it);
    }
    dlclose(dl);
    return TRUE;
}

DWORD GetModuleFileNameA(HMODULE module, char *buffer, DWORD size)
{
    if (!buffer || size == 0)
        return 0;
    std::string path;
    if (module == 0) {
        path = ProgramPath();
    } else {
        ModuleTable &t = table();
        std::lock_guard lock(t.mutex);
        auto it = t.modules.find(module);
        if (it == t.modules.end())
            return 0;
        path = it->second.path;
    }
    const size_t n = std::min<size_t>(path.size(), size - 1);
    path.copy(buffer, n);
    buffer[n] = '\0';
    return DWORD(n);
}

std::string ModulePathOf(const void *address)
{
    Dl_info info{};
    if (!address || !dladdr(address, &info) || !info.dli_fname)
        return {};
    std::string path = info.dli_fname;
    // The program itself may be reported by its bare name.
    if (path.find('/') == std::string::npos)
        path = ProgramPath();
    return RealPath(path);
}

std::string ModuleFolderOf(const void *address)
{
    const std::string path = ModulePathOf(address);
    return path.empty() ? std::string() : FolderOf(path);
}
