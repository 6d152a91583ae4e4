#pragma once
// What the check needs of the main window's widgets: the result list (rows of
// five text cells, 0-based rows and columns) and the summary labels. The main
// window implements these over its widgets; the tests over plain data.

#include "common/Text.h"

namespace tallowin::check {

using common::Text;

// Columns of a result row.
inline constexpr int kColumnSimilarUrls = 0;  // addresses, each followed by CR LF
inline constexpr int kColumnNumber = 1;       // 1-based segment number
inline constexpr int kColumnSegment = 2;      // segment text
inline constexpr int kColumnRedCount = 3;     // similar count, "" until searched
inline constexpr int kColumnComparison = 4;   // address shown after the page loaded
inline constexpr int kResultColumns = 5;

class ResultList {
public:
    virtual ~ResultList() = default;
    virtual int RowCount() const = 0;
    virtual Text CellText(int row, int column) const = 0;
    virtual void SetCellText(int row, int column, const Text& text) = 0;
    // Appends an empty row at the end and returns its index.
    virtual int AppendRow() = 0;
    virtual void DeleteAllRows() = 0;
    // The selected row, or -1.
    virtual int CurrentSelection() const = 0;
    virtual void SetCurrentSelection(int row) = 0;
    virtual void ScrollIntoView(int row) = 0;
};

class Label {
public:
    virtual ~Label() = default;
    virtual Text Caption() const = 0;
    virtual void SetCaption(const Text& caption) = 0;
};

}  // namespace tallowin::check
