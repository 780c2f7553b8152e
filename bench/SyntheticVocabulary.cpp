// SPDX-License-Identifier: GPL-3.0-or-later
#include "SyntheticVocabulary.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <vector>

namespace bench {

namespace {

// splitmix64: small, fast and the same on every machine.
class Random
{
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::size_t below(std::size_t bound) { return std::size_t(next() % bound); }
    bool chance(int percent) { return below(100) < std::size_t(percent); }

private:
    std::uint64_t state_;
};

constexpr std::array syllables{"ka",   "lo",  "ri",  "sel", "mar", "ton", "dra", "vi", "nes",
                               "bu",   "gar", "phy", "lit", "ore", "sca", "ben", "mo", "tha",
                               "quel", "dun", "ash", "rim", "cor", "pel", "sti", "an"};

constexpr std::array words{
    "fine",      "grained",  "rock",      "with",      "thin",    "layers",   "of",
    "quartz",    "feldspar", "clay",      "minerals",  "formed",  "in",       "shallow",
    "marine",    "settings", "rich",      "mica",      "calcite", "dolomite", "grey",
    "brown",     "bedded",   "massive",   "porous",    "dense",   "altered",  "veins",
    "nodules",   "fossils",  "crystals",  "matrix",    "cement",  "coarse",   "sorted",
    "rounded",   "angular",  "fragments", "volcanic",  "glassy",  "banded",   "foliated",
    "weathered", "outcrops", "typical",   "common",    "near",    "faults",   "zones",
    "and",       "or",       "kaolinite", "siltstone", "lenses",  "andésite", "grès",
    "schistes",  "basalt",   "ash",       "tuff",      "chert",   "breccia",  "gneiss"};

std::string word(Random &random)
{
    std::string text;
    const std::size_t count = 2 + random.below(2);
    for (std::size_t i = 0; i < count; ++i)
        text += syllables[random.below(syllables.size())];
    return text;
}

std::string name(Random &random)
{
    std::string text = word(random);
    text[0] = char(text[0] - 'a' + 'A');
    const std::size_t more = 1 + random.below(2);
    for (std::size_t i = 0; i < more; ++i)
        text += ' ' + word(random);
    return text;
}

std::string description(Random &random)
{
    std::string text = "A";
    while (text.size() < 76) {
        text += ' ';
        text += words[random.below(words.size())];
        if (random.chance(2))
            text += " \u2013"; // an en dash: text that is not Latin-1
    }
    return text + '.';
}

// Terms that may still take children, and their levels.
struct Parent
{
    std::int64_t id;
    int level;
};

} // namespace

int largeFamilySize(int rows)
{
    return std::min(largestFamily, rows / 2);
}

void generate(int rows, const std::function<void(const Term &)> &emit)
{
    Random random(0x4B657374u);
    std::vector<Parent> parents;
    std::vector<std::string> recentNames;
    std::int64_t nextId = 1;

    const auto add = [&](std::optional<std::int64_t> parentId, int level, bool takesChildren) {
        Term term{nextId++, name(random), parentId, level, std::nullopt};
        // Now and then a name comes back under another id.
        if (!recentNames.empty() && random.chance(2))
            term.name = recentNames[random.below(recentNames.size())];
        if (!random.chance(5))
            term.description = description(random);
        if (recentNames.size() < 1000)
            recentNames.push_back(term.name);
        else
            recentNames[random.below(recentNames.size())] = term.name;
        if (takesChildren && level < deepestLevel)
            parents.push_back({term.id, level});
        emit(term);
        return term.id;
    };

    const int family = largeFamilySize(rows);
    const int firstLevel = std::min(firstLevelTerms, rows);
    for (int i = 0; i < firstLevel; ++i)
        add(std::nullopt, 1, true);
    if (rows <= firstLevel)
        return;
    // The large family's parent takes no other children, so its size is exact.
    const std::int64_t familyParent = add(1, 2, false);
    for (int i = 0; i < family && nextId <= rows; ++i)
        add(familyParent, 3, true);
    while (nextId <= rows) {
        const Parent parent = parents[random.below(parents.size())];
        add(parent.id, parent.level + 1, true);
    }
}

Term largeFamilyParent(int rows)
{
    Term parent{};
    generate(std::min(rows, firstLevelTerms + 1), [&parent](const Term &term) {
        if (term.level == 2)
            parent = term;
    });
    return parent;
}

std::optional<Term> termOfSharedName(int rows)
{
    std::map<std::string, int> levels;
    std::optional<Term> shared;
    generate(rows, [&](const Term &term) {
        if (shared)
            return;
        const auto known = levels.emplace(term.name, term.level);
        if (!known.second && known.first->second != term.level)
            shared = term;
    });
    return shared;
}

void generateFlat(int rows, bool descending, const std::function<void(const Term &)> &emit)
{
    Random random(0x466C6174u);
    for (int i = 1; i <= rows; ++i) {
        const int place = descending ? rows + 1 - i : i;
        char name[32];
        std::snprintf(name, sizeof name, "Term %07d", place);
        emit(Term{i, name, std::nullopt, 1, description(random)});
    }
}

} // namespace bench
