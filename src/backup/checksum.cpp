#include "backup/checksum.h"

// xxHash is taken whole into this one file from the distribution's header: nothing to link.
#define XXH_INLINE_ALL
#include "xxhash.h"

namespace vintrel {

struct Checksum::State {
    XXH3_state_t* xxh = XXH3_createState();
    ~State() { XXH3_freeState(xxh); }
};

Checksum::Checksum() : state_(std::make_unique<State>()) {
    XXH3_64bits_reset(state_->xxh);
}

Checksum::~Checksum() = default;

void Checksum::Add(const char* data, std::size_t size) {
    XXH3_64bits_update(state_->xxh, data, size);
}

std::uint64_t Checksum::Value() const {
    return XXH3_64bits_digest(state_->xxh);
}

} // namespace vintrel
