# The allocation count drives the real game with the whole-game tests' harness;
# it lives in its own executable because it replaces the global operator new.
target_sources(test_alloc PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/game/GameHarness.cpp
                                  ${CMAKE_CURRENT_SOURCE_DIR}/game/RaceDriver.cpp)
