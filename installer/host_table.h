// The built-in table of host versions: their display names and where their plug-in folders
// and programs are recorded, gated by the command-line modes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A resolved-on-demand host row: eleven text columns.
struct HostRow {
    std::wstring name;         // display name, also the key of the special cases
    std::wstring fixedFolder;  // plug-in folder worked out while building; wins when set
    std::wstring pluginRoot;   // "HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER" or "HKEY_CLASSES_ROOT"
    std::wstring pluginKey;
    std::wstring pluginValue;  // empty: the key's default value
    std::wstring subPath;      // appended to the value read, as it stands
    std::wstring exeRoot;      // empty: exeFile is the whole program path
    std::wstring exeKey;
    std::wstring exeValue;
    std::wstring exeFile;
    std::wstring bits;  // "", "32" (32-bit pass only) or "64" (64-bit pass only)
};

// Which modes admit a block of rows.
enum HostBlock : int32_t {
    BLOCK_PHOTOSHOP,      // unless "PSEOnly"
    BLOCK_PHOTOSHOP_OLD,  // unless "PSEOnly" or "PSPSE"
    BLOCK_IMAGEREADY,     // none of "Panel", "PSEOnly", "PSPSE"
    BLOCK_ELEMENTS,       // always
    BLOCK_ELEMENTS_OLD,   // unless "PSPSE"
    BLOCK_OTHERS,         // none of "Panel", "PSEOnly", "PSPSE"
};

// Rows whose columns are worked out while the table is built.
enum HostCompute : int32_t {
    COMPUTE_NONE,
    COMPUTE_PHOTOSHOP_CS3,
    COMPUTE_PHOTOSHOP_CS2,
    COMPUTE_ILLUSTRATOR_CS6,
    COMPUTE_PAGEMAKER_70,
    COMPUTE_PAGEMAKER_65,
    COMPUTE_PAINTER,
    COMPUTE_PHOTOLINE,
    COMPUTE_ZONER,
    COMPUTE_ALBELLI,
    COMPUTE_COUNT
};

// One row of the table as written in the program.
struct HostTableEntry {
    HostBlock block;
    HostCompute compute;
    const wchar_t* name;
    const wchar_t* pluginRoot;
    const wchar_t* pluginKey;
    const wchar_t* pluginValue;
    const wchar_t* subPath;
    const wchar_t* exeRoot;
    const wchar_t* exeKey;
    const wchar_t* exeValue;
    const wchar_t* exeFile;
    const wchar_t* bits;
};

extern const HostTableEntry kHostTable[];
extern const int32_t kHostTableCount;

// True when the current modes admit rows of the block.
bool HostBlockAdmitted(HostBlock block);

// The rows admitted by the current modes, in table order, with the computed rows worked
// out (a computed row whose source is missing is left out).
std::vector<HostRow> HostTableBuild();

// The leading text of a PageMaker plug-in folder's tail for a language, empty when the
// language is unknown. Exact and case-sensitive.
const wchar_t* PageMakerEffectsTail(const std::wstring& language);
