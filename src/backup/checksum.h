// The checksum a copy is known by: XXH3's 64 bits over its bytes, taken while they pass.
// It tells a copy that changed from the one made, by accident or wear; it is no seal against
// someone who means to forge one (anyone who can write the copy can write the record too).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace vintrel {

class Checksum {
public:
    Checksum();
    ~Checksum(); // its state owned alone: no copy of it is made
    // Takes the next bytes of the file.
    void Add(const char* data, std::size_t size);
    // The checksum of every byte taken so far.
    std::uint64_t Value() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace vintrel
