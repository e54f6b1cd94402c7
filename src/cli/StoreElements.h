// Walking the element store in its order: each entry of ElementOrder handed to a visitor as the
// element it names, whatever table holds it.
#pragma once

#include <cstddef>
#include <tuple>
#include <utility>

#include "exchange/JwwGaibu.h"

namespace sorea::cli {

// A visitor made of lambdas, one per element type.
template <typename... F>
struct Overloaded : F... {
  using F::operator()...;
};
// Spelled out for compilers without deduction from aggregate initialisation (clang 14).
template <typename... F>
Overloaded(F...) -> Overloaded<F...>;

// Calls visit with the element ref names: a LineElement, CircleElement, ArcElement,
// TextElement, PointElement, CodedPointElement, DimensionElement, BlockElement, or a
// SolidElement for kinds 9 to 15. A ref that names no stored element is passed by.
template <typename Visit>
void VisitElement(const ElementStore& s, const ElementRef& ref, Visit&& visit) {
  if (ref.Index < 0) return;
  const auto index = static_cast<std::size_t>(ref.Index);
  auto at = [&](const auto& table) {
    if (index < table.size()) visit(table[index]);
  };
  // Kinds 1 to 8 name these tables in this order; kinds 9 to 15 the solids' tables.
  static_assert(kBlock - kLine == 7 && kSolid2 == kBlock + 1);
  const auto tables = std::tie(s.Lines, s.Circles, s.Arcs, s.Texts, s.Points, s.CodedPoints,
                               s.Dimensions, s.Blocks);
  [&]<std::size_t... K>(std::index_sequence<K...>) {
    ((ref.Kind == kLine + static_cast<int>(K) ? at(std::get<K>(tables)) : void()), ...);
  }
  (std::make_index_sequence<std::tuple_size_v<decltype(tables)>>{});
  if (ref.Kind >= kSolid2 && ref.Kind <= kSg) {
    at(s.Solids[static_cast<std::size_t>(ref.Kind - kSolid2)]);
  }
}

}  // namespace sorea::cli
