// The vertex buffers one draw reads, held inline: render items are copied into
// every view each frame, and a fixed array copies without touching the heap.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

class VertexBuffer;

class VertexStreams {
public:
    // A mesh's streams plus a particle system's five instance streams fit.
    static constexpr size_t capacity = 12;

    VertexStreams() = default;
    // Implicit, so a mesh's stream list can be handed over as it is; streams past
    // the capacity are dropped (no mesh has that many).
    VertexStreams(const std::vector<VertexBuffer*>& buffers) { *this = buffers; }
    VertexStreams& operator=(const std::vector<VertexBuffer*>& buffers) {
        count = 0;
        for (VertexBuffer* buffer : buffers) {
            push_back(buffer);
        }
        return *this;
    }

    void push_back(VertexBuffer* buffer) {
        if (count < capacity) {
            streams[count++] = buffer;
        }
    }
    void clear() { count = 0; }
    size_t size() const { return count; }
    bool empty() const { return count == 0; }
    VertexBuffer* operator[](size_t i) const { return streams[i]; }
    VertexBuffer* const* begin() const { return streams.data(); }
    VertexBuffer* const* end() const { return streams.data() + count; }

    bool operator==(const VertexStreams& other) const {
        if (count != other.count) {
            return false;
        }
        for (size_t i = 0; i < count; ++i) {
            if (streams[i] != other.streams[i]) {
                return false;
            }
        }
        return true;
    }
    bool operator!=(const VertexStreams& other) const { return !(*this == other); }

private:
    std::array<VertexBuffer*, capacity> streams{};
    size_t count = 0;
};
