// The grid's array object: a two-dimensional array of variants (rows by columns) that a window
// fills and hands to a grid by reference (grid DISPID 94). Window and grid hold the same object,
// so both see the same cells: the grid reads its cells when it draws and writes the user's edits
// back into it.
//
// Members, late-bound as the windows call them (the value of a put comes last):
//   DISPID  name        kind
//   0       Value       property (row, column), any kind; 9 outside the bounds
//   1       ReDim       method (lower1, upper1, lower2, upper2): new bounds, every cell Empty;
//                       an upper bound below its lower bound makes that dimension empty
//   2       LowerBound  method (dimension 1 or 2); 9 for any other dimension or before a ReDim
//   3       UpperBound  method (dimension)
// Invariant: once ReDim has run the array has exactly two dimensions.
#pragma once

#include <cstdint>
#include <functional>
#include <map>

#include "platform/com/dispatch.h"

namespace controls::grid {

class ArrayObject final : public com::DispatchObject<ArrayObject> {
public:
    static const com::DispatchMap& DispatchMembers();

    ArrayObject() = default;

    // 7 "Out of memory" for more than the component layer's 16 million cells.
    void ReDim(std::int32_t lower1, std::int32_t upper1, std::int32_t lower2, std::int32_t upper2);
    std::int32_t LowerBound(std::int32_t dimension) const;
    std::int32_t UpperBound(std::int32_t dimension) const;
    // Rows and columns (0 for an empty dimension or before the first ReDim).
    std::int32_t Count(std::int32_t dimension) const;
    const com::Variant& Value(std::int32_t row, std::int32_t column) const;
    void SetValue(std::int32_t row, std::int32_t column, const com::Variant& value);

    // What changed, for the grids that show the array: one cell, or the whole shape (ReDim).
    struct Change {
        bool reshaped = false;
        std::int32_t row = 0;
        std::int32_t column = 0;
    };
    using Listener = std::function<void(const Change&)>;
    int Subscribe(Listener listener);
    void Unsubscribe(int token);

private:
    void Notify(const Change& change) const;

    com::SafeArray cells_;
    std::map<int, Listener> listeners_;
    int nextToken_ = 1;
};

}  // namespace controls::grid
