// The raster converter modules as the engine loads them: by full path from
// the modules folder of this build, bound by their entry names.
#pragma once

#include "platform/global_memory.h"
#include "platform/module.h"
#include "test_paths.h"

#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <limits>
#include <string>

struct RasterBodyParams {
    double d[11];
};

using RasterBodyFn = int (*)(const char *, HGLOBAL *, HGLOBAL *, RasterBodyParams *);
using LastErrorFn = const char *(*)();

// One loaded module, freed at the end of its scope.
class ConverterModule {
public:
    explicit ConverterModule(const std::string &name)
        : module_(LoadLibraryA((std::string(MAP_MODULES_DIR) + "/" + name + ".cnv").c_str()))
    {
    }
    ~ConverterModule()
    {
        if (module_)
            FreeLibrary(module_);
    }
    ConverterModule(const ConverterModule &) = delete;
    ConverterModule &operator=(const ConverterModule &) = delete;

    bool Loaded() const { return module_ != 0; }
    template <typename F>
    F Entry(const char *name) const
    {
        return reinterpret_cast<F>(GetProcAddress(module_, name));
    }
    int Read(const std::string &file, HGLOBAL *header, HGLOBAL *bits,
             RasterBodyParams *params = nullptr) const
    {
        auto body = Entry<RasterBodyFn>("GormRasterBody");
        EXPECT_NE(body, nullptr);
        return body ? body(file.c_str(), header, bits, params) : 0;
    }
    std::string LastError() const
    {
        auto f = Entry<LastErrorFn>("GormConverterLastError");
        return f ? f() : "";
    }

private:
    HMODULE module_;
};

// A georeference record as the engine initialises it.
inline RasterBodyParams FreshParams()
{
    RasterBodyParams p{};
    for (int i = 2; i < 11; ++i)
        p.d[i] = i == 2 ? 0.0 : std::numeric_limits<double>::max();
    return p;
}

// The picture of the two blocks a converter returned, as 32-bit pixels,
// with the bit count of the rows. Frees the blocks.
struct DecodedBlocks {
    QImage image;
    int bitCount = 0;
    int colours = 0;
    int xPelsPerMeter = 0;
};
DecodedBlocks DecodeAndFree(HGLOBAL header, HGLOBAL bits);

// Runs gdalinfo -json on the file; an empty object when it fails.
struct GdalInfo {
    bool ok = false;
    int width = 0;
    int height = 0;
    double upperLeft[2] = {0, 0};
    double lowerRight[2] = {0, 0};
    bool hasCorners = false;
    std::string compression;
};
GdalInfo RunGdalInfo(const QString &path);
