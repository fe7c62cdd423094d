// Tables: rows (directly or inside row groups) of cells, colspan included. Column widths come
// from the cells: fixed and percentage widths first, then the remaining width shared among the
// other columns between their minimum and maximum content widths. Every cell of a row is as tall
// as the row.

#include <algorithm>
#include <cmath>

#include "rml/layout_engine.h"

namespace Rml {
namespace {

struct Column {
  float min = 0.f, max = 0.f, fixed = -1.f, percent = -1.f, width = 0.f;
};

int SpanOf(const Element& cell) {
  return std::clamp(cell.GetAttribute<int>("colspan", 1), 1, 1000);
}

// Column widths in a table `table_width` wide: percentage and fixed columns take their widths
// (at least their minimum); the other columns share what remains, in proportion to their
// maximum widths when it is enough for all of them, between their minimum and maximum widths
// when it is enough for the minimums, else at their minimums.
void ResolveColumnWidths(std::vector<Column>& columns, float table_width) {
  float remaining = table_width;
  float auto_min = 0.f, auto_max = 0.f;
  int auto_count = 0;
  for (Column& column : columns) {
    if (column.percent >= 0.f) {
      column.width = std::fmax(column.min, table_width * column.percent * 0.01f);
      remaining -= column.width;
    } else if (column.fixed >= 0.f) {
      column.width = std::fmax(column.min, column.fixed);
      remaining -= column.width;
    } else {
      auto_min += column.min;
      auto_max += column.max;
      ++auto_count;
    }
  }
  for (Column& column : columns) {
    if (column.percent >= 0.f || column.fixed >= 0.f) continue;
    if (remaining >= auto_max) {
      column.width = auto_max > 0.f ? column.max + (remaining - auto_max) * column.max / auto_max
                                    : remaining / float(auto_count);
    } else if (remaining >= auto_min && auto_max > auto_min) {
      column.width =
          column.min + (column.max - column.min) * (remaining - auto_min) / (auto_max - auto_min);
    } else {
      column.width = column.min;
    }
  }
}

}  // namespace

void LayoutEngine::ShiftContent(Element& cell, Element& element, float delta) {
  for (auto& child : element.children_) {
    if (child->offset_parent_ == &cell) {
      if (child->tag_ == "#text") {
        for (TextLine& line : child->text_lines_) line.position.y += delta;
      } else {
        child->relative_position_.y += delta;
      }
    }
    if (child->tag_ != "#text") ShiftContent(cell, *child, delta);
  }
}

// One table's layout, in steps: measure its columns from their cells, widen the columns that
// cells spanning several of them need, share the width among the columns, then lay the rows out
// one under another, every cell as tall as its row.
struct TableLayout {
  TableLayout(LayoutEngine& engine, Element& table, float content_width)
      : engine(engine),
        table(table),
        content_width(content_width),
        origin(table.box_.GetPosition(BoxArea::Content)) {}
  // Returns the height of the rows.
  float Run();

  // The table's rows, directly in it or inside its row groups, in document order.
  static std::vector<Element*> RowsOf(Element& table);
  static std::vector<Element*> CellsOf(Element& row);

  // The minimum, maximum, fixed and percentage widths of each column from its one-column cells.
  void MeasureColumns();
  // Cells spanning several columns widen them evenly when the columns are too narrow.
  void WidenForSpans();
  // The width of the `span` columns from `column` on.
  float SpanWidth(int column, int span) const;
  // A row group is a box around its rows, from its first row down.
  void EnterRowGroup(Element& group);
  void LayOutRow(Element& row);
  // Lays out the cells at their columns' widths; returns the row's height.
  float FormatCells(const Element& row, const std::vector<Element*>& cells);
  // Gives every cell the row's height, aligns its content vertically and places it in the row.
  void PlaceCells(Element& row, const std::vector<Element*>& cells, float row_height);

  LayoutEngine& engine;
  Element& table;
  const float content_width;
  const Vector2f origin;
  std::vector<Element*> rows;
  std::vector<Column> columns;
  float y = 0.f;
  Element* current_group = nullptr;
  float group_top = 0.f;
};

std::vector<Element*> TableLayout::RowsOf(Element& table) {
  std::vector<Element*> rows;
  for (auto& child : table.children_) {
    const auto display = child->computed_.display;
    if (display == Style::Display::TableRow) {
      rows.push_back(child.get());
    } else if (display == Style::Display::TableRowGroup) {
      for (auto& grandchild : child->children_)
        if (grandchild->computed_.display == Style::Display::TableRow)
          rows.push_back(grandchild.get());
    }
  }
  return rows;
}

std::vector<Element*> TableLayout::CellsOf(Element& row) {
  std::vector<Element*> cells;
  for (auto& child : row.children_)
    if (child->computed_.display == Style::Display::TableCell) cells.push_back(child.get());
  return cells;
}

float TableLayout::Run() {
  rows = RowsOf(table);
  MeasureColumns();
  WidenForSpans();
  ResolveColumnWidths(columns, content_width);
  for (Element* row : rows) LayOutRow(*row);
  return y;
}

void TableLayout::MeasureColumns() {
  for (Element* row : rows) {
    int column = 0;
    for (Element* cell : CellsOf(*row)) {
      const int span = SpanOf(*cell);
      if (int(columns.size()) < column + span) columns.resize(size_t(column + span));
      const float min = engine.OuterIntrinsicWidth(*cell, true),
                  max = engine.OuterIntrinsicWidth(*cell, false);
      if (span == 1) {
        Column& target = columns[size_t(column)];
        target.min = std::fmax(target.min, min);
        target.max = std::fmax(target.max, max);
        const auto& width = cell->computed_.width;
        if (width.type == Style::LengthPercentageAuto::Length)
          target.fixed = std::fmax(target.fixed, max);
        if (width.type == Style::LengthPercentageAuto::Percentage)
          target.percent = std::fmax(target.percent, width.value);
      }
      column += span;
    }
  }
}

void TableLayout::WidenForSpans() {
  for (Element* row : rows) {
    int column = 0;
    for (Element* cell : CellsOf(*row)) {
      const int span = SpanOf(*cell);
      if (span > 1) {
        float min_sum = 0.f, max_sum = 0.f;
        for (int i = column; i < column + span; ++i) {
          min_sum += columns[size_t(i)].min;
          max_sum += columns[size_t(i)].max;
        }
        const float min = engine.OuterIntrinsicWidth(*cell, true),
                    max = engine.OuterIntrinsicWidth(*cell, false);
        for (int i = column; i < column + span; ++i) {
          if (min > min_sum) columns[size_t(i)].min += (min - min_sum) / float(span);
          if (max > max_sum) columns[size_t(i)].max += (max - max_sum) / float(span);
        }
      }
      column += span;
    }
  }
}

float TableLayout::SpanWidth(int column, int span) const {
  float width = 0.f;
  for (int i = column; i < column + span && i < int(columns.size()); ++i)
    width += columns[size_t(i)].width;
  return width;
}

void TableLayout::EnterRowGroup(Element& group) {
  current_group = &group;
  group_top = y;
  group.box_ = Box();
  group.box_.content.x = content_width;
  group.relative_position_ = origin + Vector2f{0.f, y};
  group.offset_parent_ = &table;
}

void TableLayout::LayOutRow(Element& row) {
  Element* holder = row.parent_;
  if (holder != &table && holder != current_group) EnterRowGroup(*holder);
  const std::vector<Element*> cells = CellsOf(row);
  const float row_height = FormatCells(row, cells);
  PlaceCells(row, cells, row_height);
  row.box_ = Box();
  row.box_.content = {content_width, row_height};
  row.relative_position_ =
      holder == &table ? origin + Vector2f{0.f, y} : Vector2f{0.f, y - group_top};
  row.offset_parent_ = holder;
  y += row_height;
  if (holder != &table) holder->box_.content.y = y - group_top;
}

float TableLayout::FormatCells(const Element& row, const std::vector<Element*>& cells) {
  float row_height = row.computed_.height.type == Style::LengthPercentageAuto::Length
                         ? row.computed_.height.value
                         : 0.f;
  int column = 0;
  for (Element* cell : cells) {
    const int span = SpanOf(*cell);
    LayoutEngine::Input input;
    input.containing_width = content_width;
    input.override_width = SpanWidth(column, span);
    engine.FormatBox(*cell, input);
    row_height = std::fmax(row_height, cell->box_.GetSize(BoxArea::Border).y);
    column += span;
  }
  return row_height;
}

void TableLayout::PlaceCells(Element& row, const std::vector<Element*>& cells, float row_height) {
  int column = 0;
  float x = 0.f;
  for (Element* cell : cells) {
    const int span = SpanOf(*cell);
    if (std::fabs(cell->box_.GetSize(BoxArea::Border).y - row_height) > 0.001f) {
      LayoutEngine::Input input;
      input.containing_width = content_width;
      input.override_width = cell->box_.GetSize(BoxArea::Border).x;
      input.override_height = row_height;
      engine.FormatBox(*cell, input);
    }
    const auto align = cell->computed_.vertical_align;
    const float free_height = cell->box_.content.y - cell->content_extent_;
    if (free_height > 0.f &&
        (align == Style::VerticalAlign::Middle || align == Style::VerticalAlign::Bottom))
      LayoutEngine::ShiftContent(
          *cell, *cell, free_height * (align == Style::VerticalAlign::Middle ? 0.5f : 1.f));
    cell->relative_position_ = {x, 0.f};
    cell->offset_parent_ = &row;
    for (int i = column; i < column + span && i < int(columns.size()); ++i)
      x += columns[size_t(i)].width;
    column += span;
  }
}

float LayoutEngine::LayoutTable(Element& table, float content_width, float) {
  return TableLayout(*this, table, content_width).Run();
}

}  // namespace Rml
