// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace bench {

// One term of a synthetic lithology scheme, as a row of the term table.
struct Term
{
    std::int64_t id;
    std::string name;
    std::optional<std::int64_t> parentId;
    int level;
    std::optional<std::string> description;
};

// The shape of every synthetic scheme, whatever its size.
constexpr int firstLevelTerms = 20;
constexpr int deepestLevel = 6;
constexpr int largestFamily = 10000;

// How many children the one large family gets in a scheme of `rows` terms.
int largeFamilySize(int rows);

// Calls `emit` for each of `rows` terms, parents before their children:
// twenty first-level terms, one second-level term with a large family of
// third-level children, and the rest placed under randomly chosen terms of
// levels one to five. Names are made-up words (sometimes shared by several
// terms); descriptions are about 80 characters, some with accented letters or
// dashes, and about one in twenty is missing. The same size always gives the
// same scheme.
void generate(int rows, const std::function<void(const Term &)> &emit);

// The term that heads the large family.
Term largeFamilyParent(int rows);

// A term whose name other terms share at other levels, so that its level
// depends on the order of the rows; nothing when the scheme has none.
std::optional<Term> termOfSharedName(int rows);

// Calls `emit` for each of `rows` first-level terms with distinct names,
// inserted in ascending order of their names or in descending order.
void generateFlat(int rows, bool descending, const std::function<void(const Term &)> &emit);

} // namespace bench
