// See ImagePrefetch.h.
#include "core/resources/ImagePrefetch.h"

#include <algorithm>

namespace {

size_t bytesOf(const Image& image) {
    size_t bytes = image.bgra.size();
    for (const MipLevel& level : image.mipmaps) {
        bytes += level.pixels.size();
    }
    return bytes;
}

} // namespace

ImagePrefetch::ImagePrefetch(const std::vector<std::string>& paths, size_t maxWaitingBytes)
    : maxWaitingBytes(std::max<size_t>(1, maxWaitingBytes)) {
    for (const std::string& path : paths) {
        if (!path.empty() && entries.emplace(path, Entry()).second) {
            order.push_back(path);
        }
    }
    // The main thread decodes too when it gets ahead, so one worker per other core.
    const size_t cores = std::max(2u, std::thread::hardware_concurrency());
    const size_t count = std::min(order.size(), std::min<size_t>(cores - 1, 3));
    for (size_t i = 0; i < count; ++i) {
        workers.emplace_back([this] { work(); });
    }
}

ImagePrefetch::~ImagePrefetch() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    changed.notify_all();
    for (std::thread& worker : workers) {
        worker.join();
    }
}

void ImagePrefetch::work() {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        changed.wait(lock, [this] { return stopping || mayStartNext(); });
        if (stopping) {
            return;
        }
        decodeNext(lock);
    }
}

bool ImagePrefetch::mayStartNext() const {
    return waitingBytes < maxWaitingBytes && next < order.size();
}

void ImagePrefetch::decodeNext(std::unique_lock<std::mutex>& lock) {
    Entry& entry = entries[order[next]];
    const std::string path = order[next++];
    if (entry.state != State::queued) {
        return;
    }
    entry.state = State::decoding;
    lock.unlock();
    Image image;
    const bool decoded = image.load(path);
    if (decoded) {
        image.buildMipmaps();
    }
    lock.lock();
    entry.bytes = std::max<size_t>(1, bytesOf(image));
    waitingBytes += entry.bytes;
    entry.image = std::move(image);
    entry.decoded = decoded;
    entry.state = State::done;
    changed.notify_all();
}

bool ImagePrefetch::take(const std::string& path, Image& image, bool& decoded) {
    std::unique_lock<std::mutex> lock(mutex);
    const auto found = entries.find(path);
    if (found == entries.end() || found->second.state == State::taken) {
        return false;
    }
    Entry& entry = found->second;
    if (entry.state == State::queued) {
        entry.state = State::taken;
        lock.unlock();
        decoded = image.load(path);
        return true;
    }
    // A worker has it: rather than idle, the asking thread decodes the pictures
    // after it meanwhile, so that every core decodes while the caller waits.
    while (entry.state != State::done) {
        if (mayStartNext()) {
            decodeNext(lock);
        } else {
            changed.wait(lock, [this, &entry] { return entry.state == State::done || mayStartNext(); });
        }
    }
    entry.state = State::taken;
    image = std::move(entry.image);
    decoded = entry.decoded;
    waitingBytes -= entry.bytes;
    lock.unlock();
    changed.notify_all();
    return true;
}
