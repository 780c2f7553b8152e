#pragma once

#include <cstddef>
#include <memory>

namespace kestrelon {

// Uninitialised memory for a large table, in whole huge pages where the
// system offers them: tables that are read at random (a hash index, text
// chunks) then cost far fewer address-translation misses.
class LargeBlock
{
public:
    LargeBlock() = default;
    explicit LargeBlock(size_t bytes);

    char *data() const { return data_.get(); }
    size_t size() const { return size_; }

private:
    struct Free
    {
        void operator()(char *p) const;
    };
    std::unique_ptr<char, Free> data_;
    size_t size_ = 0;
};

} // namespace kestrelon
