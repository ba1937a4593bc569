// A uniform name turned into a small number once, so that hot paths send
// uniforms without building or hashing strings: every program keeps its
// locations in a table indexed by these numbers.
#pragma once

#include <cstdint>
#include <string>

class UniformId {
public:
    UniformId() = default;
    // Interns the name (start-up work: the table grows the first time a name is seen).
    explicit UniformId(const std::string& name);
    // "base[index]" and "base[index].field".
    UniformId(const std::string& base, int index);
    UniformId(const std::string& base, int index, const std::string& field);

    bool valid() const { return index >= 0; }
    int32_t get() const { return index; }
    const std::string& name() const;
    // How many names have been interned so far.
    static size_t count();

private:
    int32_t index = -1;
};
