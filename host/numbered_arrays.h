// The 100 numbered arrays: three-dimensional blocks of 1-, 2-, 4- or 8-byte elements with an
// optional border, addressed by number. Effect and dialog code keep their tables, curves,
// texts and work images in them; all are released at the end of a run.
#pragma once

#include <cstdint>

constexpr int kArrayCount = 100;

// Arrays with a meaning shared by several parts of the plug-in.
enum ArrayNumber : int32_t {
    ARRAY_HISTOGRAM = 5,
    ARRAY_SETTINGS_ROWS = 8,
    ARRAY_SELECTIVE_RANGES = 19,  // 9 x 7 int32
    ARRAY_SELECTIVE_TABLE = 21,   // 9 x 5 int32
    ARRAY_TEXTS = 24,             // language texts, rows of 512 characters
    ARRAY_SHORT_TEXTS = 25,       // short language texts, rows of 80 characters
    ARRAY_PRESET_PATHS = 30,      // rows of 512 characters
    ARRAY_THUMBNAIL = 41,
    ARRAY_UNDO = 60,
    ARRAY_CURVES = 70,  // 16 points x 2 coordinates x 7 curves, int32
    ARRAY_SPLINE_POINTS = 71,
    ARRAY_CURVE_LUTS = 73,
    ARRAY_SPLINE_DERIVS = 74,
    ARRAY_SPLINE_WORK = 75,
    ARRAY_BRUSH_TIP = 89,
    ARRAY_BRUSH_MASK = 90,
    ARRAY_BRUSH_STROKE = 91,
    ARRAY_LANGUAGE_RAW = 99,
};

// One array. Element (x, y, z) lies at ((border + y) * xSize + border + x) * zSize + z.
// Written only by this file's functions, on the host's thread; workers read and write
// elements of disjoint rows.
struct NumberedArray {
    uint8_t* base;       // null: not allocated
    void* hostBufferId;  // the host's id when hostBuffer
    bool hostBuffer;     // memory from the host's buffer suite, else heap
    // The block is someone else's (BorrowArrayBlock): never freed or resized here, and it
    // carries no guard byte.
    bool borrowed;
    int64_t byteSize;
    // Bytes a later CreateArray of this array may take without a new block (0: none beyond
    // byteSize); set only by ShapeArrayLikeWithRoom and CreateArrayWithRoom, gone with the
    // block.
    int64_t roomBytes;
    int32_t elementBytes;         // 1, 2, 4 or 8
    int32_t xSize, ySize, zSize;  // x and y include the border on both sides
    int32_t border;               // extra cells on each side in x and y
};
extern NumberedArray gArrays[kArrayCount];

// 1 allocated, 0 refused or failed ("Unable to allocate enough memory.", result -128).
// Re-creating an array with the same byte size, or within its room, keeps its bytes and takes
// the new shape.
int CreateArrayPadded(int32_t n, int32_t x, int32_t y, int32_t z, int32_t elementBytes,
                      int32_t border);
int CreateArray(int32_t n, int32_t x, int32_t y, int32_t z, int32_t elementBytes);
// CreateArray in a block of roomBytes when that much can be had (else of the shape's size): a
// later CreateArray of n up to roomBytes keeps the block and the pages the smaller shape has
// brought in. The room costs address space only until a shape uses it.
int CreateArrayWithRoom(int32_t n, int32_t x, int32_t y, int32_t z, int32_t elementBytes,
                        int64_t roomBytes);
int ReleaseArray(int32_t n);  // 1 released, 0 absent
int SwapArrays(int32_t a, int32_t b);
int CopyArrayData(int32_t a, int32_t b);  // 1 when b became a copy of a
// 1 when b has a's shape and byte size (its bytes kept when the size was already a's, else
// undefined), without the error message of CreateArray: threads then fill it in shares.
int ShapeArrayLike(int32_t a, int32_t b);
// ShapeArrayLike in a block of roomBytes when that much can be had (else of a's size): a later
// CreateArray of b up to roomBytes keeps the block, whose pages the shape's bytes have already
// brought in. A fresh page costs far more than the bytes written to it, so a run that needs a
// larger image after a smaller one grows into the room instead of allocating anew.
int ShapeArrayLikeWithRoom(int32_t a, int32_t b, int64_t roomBytes);
// Makes array n (without border) a view of x * y * z elements in a block the caller owns and
// keeps for as long as the array is used, such as a host's buffer during one rectangle: the
// array's own block is released first, ReleaseArray only forgets the view, and a later
// CreateArray of another size takes fresh memory. A fresh page costs far more than writing
// it, and the host's buffers are in already. 1 made, 0 for a bad number, size or block.
int BorrowArrayBlock(int32_t n, uint8_t* block, int32_t x, int32_t y, int32_t z,
                     int32_t elementBytes);
// The element (unsigned for 1 and 2 bytes, signed for 4), x and y clamped into the array
// with its border; 0 when absent, z outside, or 8-byte elements.
int32_t GetArrayElement(int32_t n, int32_t x, int32_t y, int32_t z);
// 1 stored (clamped 0..255 or 0..65535 for 1- and 2-byte elements); 0 when absent, 8-byte
// elements, or the element index falls outside the block.
int PutArrayElement(int32_t n, int32_t x, int32_t y, int32_t z, int32_t value);
// Stores without clamping (truncated to the element size) when the index is inside.
int PutArrayElementRaw(int32_t n, int32_t x, int32_t y, int32_t z, int32_t value);
// Every element = value, clamped as by PutArrayElement; 8-byte elements get it as a double.
int SetAllArrayElements(int32_t n, int32_t value);
// Text rows of a byte array: row r starts at byte (border + r) * ySize.
int PutArrayString(int32_t n, int32_t row, const char* text);
const char* GetArrayString(int32_t n, int32_t row);  // "Not Available" when absent or outside
// which: 0 x size, 1 y size, 2 z size (with border), 3 element size; 0 when absent.
int32_t GetArrayDimension(int32_t n, int32_t which);
void* GetArrayBase(int32_t n);
// A resource of the plug-in module, else a file of that name, as a byte array; 1 loaded.
int LoadArrayFromResource(const char* type, const char* name, int32_t n);
// Host buffers for new arrays: on only when the host's buffer suite is complete. Returns 0
// when on was asked and refused, else 1.
int UseHostBufferSuite(int on);

// The arrays that serve only the rendering of the run's rectangles (work images, fields);
// forgotten at a run's start (ResetArrayTables).
void MarkRenderWorkArrays(const int32_t* numbers, int32_t count);
// The run's last rectangle is done: empties the marked arrays at once and hands their heap
// blocks to a thread of their own, so that the system takes their pages back (tens of
// milliseconds for a large image) while the host copies the last output and ends the run;
// host buffers and borrowed blocks are let go here. The thread holds a reference on the
// module until its last free, so that a host may unload the plug-in right after the run.
// Without a thread the blocks are freed here.
void ReleaseRenderWorkArraysInBackground();
// Returns when every block handed over by ReleaseRenderWorkArraysInBackground is freed: at the
// next run's start (ResetArrayTables), before a new background release, and before an array
// whose allocation failed is tried again. A run's end does not wait: the host gets on with
// its work while the pages go.
void WaitForArrayReleases();
// The module is being unloaded (the releasing thread, which holds a reference on it, has done
// its frees or the process is ending): forgets the thread without waiting for it, since the
// caller holds the system's loader lock.
void EndArrayReleasesAtUnload();

// End of a run: releases arrays 0..99.
void ReleaseAllArrays();
// Start of a run: heap memory, empty tables. Heap blocks a skipped finish left behind are
// freed; host buffers of an earlier run are forgotten (the host owns them).
void ResetArrayTables();
