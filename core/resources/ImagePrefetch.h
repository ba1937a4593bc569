// Decodes image files (and averages their mipmaps) on worker threads ahead of the main thread, which takes
// each picture when it needs it (to upload it to GL, which only it may do). At
// most a few decoded pictures wait at any time, so decoding ahead never holds
// the pixels of a whole level at once; a picture nobody has started yet is
// decoded by the thread that asks for it, so asking never waits on the queue.
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
    // Starts decoding these files (resolved paths, duplicates ignored) in order.
    explicit ImagePrefetch(const std::vector<std::string>& paths, size_t maxWaiting = 4);
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
    };

    void work();

    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::string> order;
    std::map<std::string, Entry> entries;
    size_t next = 0;
    size_t waiting = 0;
    size_t maxWaiting;
    bool stopping = false;
    std::vector<std::thread> workers;
};
