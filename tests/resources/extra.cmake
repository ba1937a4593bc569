# The resource tests write image files with FreeImage and build imported
# materials with Assimp, which the engine itself links privately.
target_link_libraries(test_resources PRIVATE FreeImage::FreeImage assimp::assimp)
