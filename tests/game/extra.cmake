# The every-track drive also generates a few tracks from seeds when the asset
# generator is part of this build.
if(TARGET assetgen)
  target_compile_definitions(test_game PRIVATE TW_ASSETGEN="$<TARGET_FILE:assetgen>")
  add_dependencies(test_game assetgen)
endif()
