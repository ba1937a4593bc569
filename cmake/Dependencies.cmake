# Finds Debian's libraries. Bullet's and libsndfile's own CMake configs are broken
# or missing on Debian 12, so those come through FindBullet and pkg-config.
find_package(PkgConfig REQUIRED)
find_package(OpenGL REQUIRED)
find_package(glfw3 3.3 REQUIRED)
find_package(GLEW REQUIRED)
find_package(glm REQUIRED)
find_package(Freetype REQUIRED)
find_package(assimp REQUIRED)
find_package(Bullet REQUIRED)
find_package(meshoptimizer REQUIRED)
pkg_check_modules(SNDFILE REQUIRED IMPORTED_TARGET sndfile)
pkg_check_modules(OPENAL REQUIRED IMPORTED_TARGET openal)
pkg_check_modules(INIREADER REQUIRED IMPORTED_TARGET INIReader)

find_path(FREEIMAGE_INCLUDE_DIR FreeImage.h REQUIRED)
find_library(FREEIMAGE_LIBRARY freeimage REQUIRED)
add_library(FreeImage::FreeImage UNKNOWN IMPORTED)
set_target_properties(FreeImage::FreeImage PROPERTIES
  IMPORTED_LOCATION ${FREEIMAGE_LIBRARY}
  INTERFACE_INCLUDE_DIRECTORIES ${FREEIMAGE_INCLUDE_DIR})
# FreeImage decodes TIFF through the system libtiff; the engine only quietens
# libtiff's console messages.
find_package(TIFF REQUIRED)

add_library(Bullet::Bullet INTERFACE IMPORTED)
set_target_properties(Bullet::Bullet PROPERTIES
  INTERFACE_INCLUDE_DIRECTORIES "${BULLET_INCLUDE_DIRS}"
  INTERFACE_LINK_LIBRARIES "${BULLET_LIBRARIES}")
