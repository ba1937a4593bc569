# The asset checks read the generated files with the libraries the engine uses:
# Assimp for the track, FreeImage for pictures, libsndfile for sounds. When the
# generator is part of this build, the tests also run it to check determinism.
target_link_libraries(test_tools PRIVATE assimp::assimp FreeImage::FreeImage PkgConfig::SNDFILE glm::glm)
if(TARGET assetgen)
  target_compile_definitions(test_tools PRIVATE TW_ASSETGEN="$<TARGET_FILE:assetgen>")
  add_dependencies(test_tools assets)
endif()
