// The converters registered under "Converters\Imports" and
// "Converters\Exports" of the engine's registry key: each value names one
// converter and holds its description, file pattern and module file. Only
// converters whose module is found in the engine's modules folder (the name
// compared ignoring case) and exports its main entry are listed.
#pragma once

#include "platform/types.h"

#include <string>
#include <vector>

enum class ConverterKind { Import, Export };

struct ConverterEntry {
    std::string name;        // the registry value name
    std::string description; // first field
    std::string pattern;     // second field: the dialog's filter and default extension
    std::string library;     // third field, as registered
    std::string modulePath;  // the module file found for it in the modules folder
    bool hasOptions = false; // the module exports its options entry
};

struct ConverterTable {
    std::vector<ConverterEntry> entries;
    size_t current = 0; // the entry named by "Current Import" / "Current Export", else the first
};

// The longest converter name the engine takes (the size of the name the
// control hands over, less its terminating zero); longer ones are refused.
inline constexpr size_t kMaxConverterNameLength = 127;

// Registry paths below the engine's key.
const char *ConvertersKeyPath(ConverterKind kind);     // "Converters\Imports" or "...\Exports"
const char *CurrentConverterValue(ConverterKind kind); // "Current Import" or "Current Export"
const char *ConverterMainEntry(ConverterKind kind);
const char *ConverterOptionsEntry(ConverterKind kind);

// The fields of a registry value: split at every comma, vertical bar and
// semicolon, each trimmed of surrounding blanks.
std::vector<std::string> SplitConverterValue(const std::string &data);

// A module name without any folder part ("/", "\", or ".." ).
bool IsPlainModuleName(const std::string &name);
// The full path of the plain module name in the modules folder, the file
// name compared ignoring case ("TIFF.CNV" finds "tiff.cnv"); empty when the
// name is not plain or no such file is there.
std::string ResolveConverterModule(const std::string &name);

// Writes the values of the converters built with the engine (in its modules
// folder) that the registry lacks; values present are left as they are.
void RegisterBuiltInConverters();

// Builds the table: false when the key cannot be opened. A value with fewer
// than three fields, a module that is not found or does not load, or one
// without the entry point is left out. The entry point is the kind's main
// entry unless another is named (raster converters: "GormRasterBody").
bool BuildConverterTable(ConverterKind kind, ConverterTable *table, const char *entryPoint = nullptr);
// The filter text of the file dialog: "description|pattern|" per entry and
// one more "|".
std::string ConverterFilterText(const ConverterTable &table);
// The entry whose name, upper-cased, equals the name given (the control
// passes names in upper case); -1 when there is none.
int FindConverterEntry(const ConverterTable &table, const std::string &name);

// Stores the chosen entry as the current one.
void StoreCurrentConverter(ConverterKind kind, const std::string &name);
