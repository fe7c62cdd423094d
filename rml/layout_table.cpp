// Tables: rows (directly or inside row groups) of cells, colspan included. Column widths come
// from the cells: fixed and percentage widths first, then the remaining width shared among the
// other columns between their minimum and maximum content widths. Every cell of a row is as tall
// as the row.

#include "rml/layout_engine.h"

#include <algorithm>
#include <cmath>

namespace Rml {
namespace {

struct Column {
  float min = 0.f, max = 0.f, fixed = -1.f, percent = -1.f, width = 0.f;
};

int SpanOf(const Element& cell) { return std::clamp(cell.GetAttribute<int>("colspan", 1), 1, 1000); }

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

float LayoutEngine::LayoutTable(Element& table, float content_width, float) {
  const Vector2f origin = table.box_.GetPosition(BoxArea::Content);
  // Rows with the element that holds them (the table or a row group).
  std::vector<Element*> rows;
  for (auto& child : table.children_) {
    const auto display = child->computed_.display;
    if (display == Style::Display::TableRow) {
      rows.push_back(child.get());
    } else if (display == Style::Display::TableRowGroup) {
      for (auto& grandchild : child->children_)
        if (grandchild->computed_.display == Style::Display::TableRow) rows.push_back(grandchild.get());
    }
  }
  auto cells_of = [](Element& row) {
    std::vector<Element*> cells;
    for (auto& child : row.children_)
      if (child->computed_.display == Style::Display::TableCell) cells.push_back(child.get());
    return cells;
  };

  std::vector<Column> columns;
  for (Element* row : rows) {
    int column = 0;
    for (Element* cell : cells_of(*row)) {
      const int span = SpanOf(*cell);
      if (int(columns.size()) < column + span) columns.resize(size_t(column + span));
      const float min = OuterIntrinsicWidth(*cell, true), max = OuterIntrinsicWidth(*cell, false);
      if (span == 1) {
        Column& target = columns[size_t(column)];
        target.min = std::fmax(target.min, min);
        target.max = std::fmax(target.max, max);
        const auto& width = cell->computed_.width;
        if (width.type == Style::LengthPercentageAuto::Length) target.fixed = std::fmax(target.fixed, max);
        if (width.type == Style::LengthPercentageAuto::Percentage) target.percent = std::fmax(target.percent, width.value);
      }
      column += span;
    }
  }
  // Cells spanning several columns widen them evenly when the columns are too narrow.
  for (Element* row : rows) {
    int column = 0;
    for (Element* cell : cells_of(*row)) {
      const int span = SpanOf(*cell);
      if (span > 1) {
        float min_sum = 0.f, max_sum = 0.f;
        for (int i = column; i < column + span; ++i) {
          min_sum += columns[size_t(i)].min;
          max_sum += columns[size_t(i)].max;
        }
        const float min = OuterIntrinsicWidth(*cell, true), max = OuterIntrinsicWidth(*cell, false);
        for (int i = column; i < column + span; ++i) {
          if (min > min_sum) columns[size_t(i)].min += (min - min_sum) / float(span);
          if (max > max_sum) columns[size_t(i)].max += (max - max_sum) / float(span);
        }
      }
      column += span;
    }
  }

  float remaining = content_width;
  float auto_min = 0.f, auto_max = 0.f;
  int auto_count = 0;
  for (Column& column : columns) {
    if (column.percent >= 0.f) {
      column.width = std::fmax(column.min, content_width * column.percent * 0.01f);
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
      column.width = column.min + (column.max - column.min) * (remaining - auto_min) / (auto_max - auto_min);
    } else {
      column.width = column.min;
    }
  }

  float y = 0.f;
  Element* current_group = nullptr;
  float group_top = 0.f;
  for (Element* row : rows) {
    Element* holder = row->parent_;
    if (holder != &table && holder != current_group) {
      current_group = holder;
      group_top = y;
      holder->box_ = Box();
      holder->box_.content.x = content_width;
      holder->relative_position_ = origin + Vector2f{0.f, y};
      holder->offset_parent_ = &table;
    }
    const std::vector<Element*> cells = cells_of(*row);
    float row_height = row->computed_.height.type == Style::LengthPercentageAuto::Length ? row->computed_.height.value : 0.f;
    int column = 0;
    for (Element* cell : cells) {
      const int span = SpanOf(*cell);
      float width = 0.f;
      for (int i = column; i < column + span && i < int(columns.size()); ++i) width += columns[size_t(i)].width;
      Input input;
      input.containing_width = content_width;
      input.override_width = width;
      FormatBox(*cell, input);
      row_height = std::fmax(row_height, cell->box_.GetSize(BoxArea::Border).y);
      column += span;
    }
    column = 0;
    float x = 0.f;
    for (Element* cell : cells) {
      const int span = SpanOf(*cell);
      if (std::fabs(cell->box_.GetSize(BoxArea::Border).y - row_height) > 0.001f) {
        Input input;
        input.containing_width = content_width;
        input.override_width = cell->box_.GetSize(BoxArea::Border).x;
        input.override_height = row_height;
        FormatBox(*cell, input);
      }
      const auto align = cell->computed_.vertical_align;
      const float free_height = cell->box_.content.y - cell->content_extent_;
      if (free_height > 0.f && (align == Style::VerticalAlign::Middle || align == Style::VerticalAlign::Bottom))
        ShiftContent(*cell, *cell, free_height * (align == Style::VerticalAlign::Middle ? 0.5f : 1.f));
      cell->relative_position_ = {x, 0.f};
      cell->offset_parent_ = row;
      for (int i = column; i < column + span && i < int(columns.size()); ++i) x += columns[size_t(i)].width;
      column += span;
    }
    row->box_ = Box();
    row->box_.content = {content_width, row_height};
    row->relative_position_ = holder == &table ? origin + Vector2f{0.f, y} : Vector2f{0.f, y - group_top};
    row->offset_parent_ = holder;
    y += row_height;
    if (holder != &table) holder->box_.content.y = y - group_top;
  }
  return y;
}

}  // namespace Rml
