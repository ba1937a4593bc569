// The process-wide table of interned uniform names.
#include "core/resources/UniformId.h"

#include <deque>
#include <mutex>
#include <unordered_map>

namespace {

struct NameTable {
    std::mutex mutex;
    std::unordered_map<std::string, int32_t> ids;
    // A deque keeps references to earlier names valid while it grows.
    std::deque<std::string> names;
};

NameTable& table() {
    static NameTable instance;
    return instance;
}

} // namespace

UniformId::UniformId(const std::string& name) {
    NameTable& names = table();
    const std::lock_guard<std::mutex> lock(names.mutex);
    const auto found = names.ids.find(name);
    if (found != names.ids.end()) {
        index = found->second;
        return;
    }
    index = static_cast<int32_t>(names.names.size());
    names.names.push_back(name);
    names.ids.emplace(name, index);
}

UniformId::UniformId(const std::string& base, int index)
    : UniformId(base + "[" + std::to_string(index) + "]") {}

UniformId::UniformId(const std::string& base, int index, const std::string& field)
    : UniformId(base + "[" + std::to_string(index) + "]." + field) {}

const std::string& UniformId::name() const {
    static const std::string none;
    if (index < 0) {
        return none;
    }
    NameTable& names = table();
    const std::lock_guard<std::mutex> lock(names.mutex);
    return names.names[static_cast<size_t>(index)];
}

size_t UniformId::count() {
    NameTable& names = table();
    const std::lock_guard<std::mutex> lock(names.mutex);
    return names.names.size();
}
