// The game's shared resources: loaded once into the resource cache under their
// names and found there by every scene builder afterwards.
#pragma once

#include "core/resources/Texture2D.h"

#include <string>

class Font;
class Sound;
class SystemRegistry;
class UITex;

// The font every text of the game is drawn with.
constexpr const char* defaultFontName = "default";

// Pictures the race loads from fixed files; racePictures lists those it decodes ahead.
namespace racePicture {
constexpr const char* waterNormal = "textures/water/water_normal.png";
constexpr const char* gameOver = "textures/ui/gameOver.png";
constexpr const char* helpScreen = "textures/ui/helpScreen.png";
constexpr const char* boost = "textures/ui/boost.png";
} // namespace racePicture

// Loads the font "default" from "fonts/Bangers-Regular.ttf".
Font* loadDefaultFont(SystemRegistry* systems);
// The cached font "default" (null before loadDefaultFont).
Font* defaultFont(SystemRegistry* systems);

// The cached texture of that name, loaded from path the first time it is asked
// for (as RGBA, or as a normal map in RedGreen). A missing file is logged by the
// texture; the texture then draws nothing useful but stays usable.
Texture2D* cachedTexture(SystemRegistry* systems, const std::string& name, const std::string& path,
                         TextureFormat as = TextureFormat::RGBA);
// The cached texture of that name, made empty when missing: for a picture that
// showOccasionalPicture reads when it first shows.
Texture2D* unloadedTexture(SystemRegistry* systems, const std::string& name);
// For a big picture that is on screen only now and then (the title, the help):
// shown, its texture is read from path unless it is in memory; hidden, its
// texture's memory is freed. Never while racing: reading takes a frame's time.
void showOccasionalPicture(UITex& picture, const std::string& path, bool shown);
// The cached sound of that name, loaded from path the first time it is asked for.
Sound* cachedSound(SystemRegistry* systems, const std::string& name, const std::string& path, bool is3D);

// The shader "waterMeshShader", the texture "waterNormal" and the material "water"
// that the track's sea uses. Must run before the track is imported, which picks
// materials by name.
void registerWaterMaterial(SystemRegistry* systems);
