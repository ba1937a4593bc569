// Decodes image files (and averages their mipmaps) on worker threads ahead of the main thread, which takes
// each picture when it needs it (to upload it to GL, which only it may do). The
// decoded pictures waiting to be taken keep within a budget of bytes (over it by
// at most the picture each thread is on), so decoding ahead holds no more than
// that however many pictures a track has. A picture nobody has started yet is
// decoded by the thread that asks for it, so asking never waits on the queue;
// one that a worker is on, the asking thread waits for while decoding the next
// ones itself.
#pragma once

#include "core/resources/Image.h"

#include <condition_variable>
#include <cstddef>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class ImagePrefetch {
public:
    // The default track's pictures take 21 MB with their mipmaps at low: the
    // workers can decode them all while the main thread builds the meshes.
    static constexpr size_t defaultWaitingBytes = size_t{24} << 20;

    // Starts decoding these files (resolved paths, duplicates ignored) in order.
    explicit ImagePrefetch(const std::vector<std::string>& paths,
                           size_t maxWaitingBytes = defaultWaitingBytes);
    // Waits for the workers; pictures never taken are dropped.
    ~ImagePrefetch();
    ImagePrefetch(const ImagePrefetch&) = delete;
    ImagePrefetch& operator=(const ImagePrefetch&) = delete;

    // The decoded picture of path (as Image::load would give it, perhaps with its
    // mipmaps built) when path is one
    // of this prefetch's files not taken before; false otherwise.
    bool take(const std::string& path, Image& image, bool& decoded);

private:
    enum class State { queued, decoding, done, taken };
    struct Entry {
        State state = State::queued;
        bool decoded = false;
        Image image;
        size_t bytes = 0;
    };

    void work();
    // Whether a thread may start on the next picture: one is queued and the
    // budget has room.
    bool mayStartNext() const;
    // Decodes the next picture unless it is taken already, the lock released meanwhile.
    void decodeNext(std::unique_lock<std::mutex>& lock);

    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::string> order;
    std::map<std::string, Entry> entries;
    size_t next = 0;
    size_t waitingBytes = 0;
    size_t maxWaitingBytes;
    bool stopping = false;
    std::vector<std::thread> workers;
};
