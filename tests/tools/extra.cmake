# The asset checks read the generated files with the libraries the engine uses:
# Assimp for the track, FreeImage for pictures, libsndfile for sounds. A few of
# the generator's own classes (FBX export, lightmap layout, seeded layouts) are
# tested directly.
# When the generator is part of this build, the tests also run it to check
# determinism.
set(ASSETGEN_SOURCES ${CMAKE_SOURCE_DIR}/tools/assetgen/src)
target_sources(test_tools PRIVATE
  ${ASSETGEN_SOURCES}/FbxWriter.cpp ${ASSETGEN_SOURCES}/SceneExporter.cpp ${ASSETGEN_SOURCES}/Mesh.cpp
  ${ASSETGEN_SOURCES}/TrackScene.cpp ${ASSETGEN_SOURCES}/LightmapLayout.cpp
  ${ASSETGEN_SOURCES}/TrackPath.cpp ${ASSETGEN_SOURCES}/TrackDesigner.cpp)
target_include_directories(test_tools PRIVATE ${ASSETGEN_SOURCES})
find_package(ZLIB REQUIRED)
target_link_libraries(test_tools PRIVATE assimp::assimp FreeImage::FreeImage PkgConfig::SNDFILE glm::glm ZLIB::ZLIB)
if(TARGET assetgen)
  target_compile_definitions(test_tools PRIVATE TW_ASSETGEN="$<TARGET_FILE:assetgen>")
  add_dependencies(test_tools assets)
endif()
