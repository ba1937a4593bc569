// See TrackTheme.h. The island's values are the first track's and must not
// change; the others reuse the island's textures under tints of their own.
#include "TrackTheme.h"

namespace {

glm::vec3 sun(float x, float y, float z) {
    return glm::normalize(glm::vec3(x, y, z));
}

TrackTheme island() {
    TrackTheme t;
    t.name = "island";
    t.ground[0] = {"Grass", "grass", glm::vec3(1.0f), {0.32f, 0.55f, 0.22f}};
    t.ground[1] = {"Sand", "sand", glm::vec3(1.0f), {0.85f, 0.78f, 0.58f}};
    t.ground[2] = {"Rock", "rock", glm::vec3(1.0f), {0.5f, 0.47f, 0.44f}};
    t.sunDirection = sun(0.74f, -0.5f, -0.5f);
    t.sunColour = glm::vec3(1.0f, 0.95f, 0.86f);
    t.props = TrackTheme::Props::palms;
    t.trunkTint = glm::vec3(0.75f, 0.55f, 0.38f);
    t.leafTint = glm::vec3(0.55f, 1.1f, 0.45f);
    return t;
}

TrackTheme desert() {
    TrackTheme t;
    t.name = "desert";
    t.ground[0] = {"Desert_Dune", "sand", {1.08f, 0.88f, 0.62f}, {0.92f, 0.69f, 0.36f}};
    t.ground[1] = {"Desert_Flat", "sand", {0.95f, 0.8f, 0.62f}, {0.81f, 0.62f, 0.36f}};
    t.ground[2] = {"Desert_Rock", "rock", {1.25f, 0.82f, 0.55f}, {0.62f, 0.39f, 0.24f}};
    t.sky.zenith = {0.3f, 0.5f, 0.8f};
    t.sky.horizon = {0.93f, 0.85f, 0.7f};
    t.sky.sea = {0.55f, 0.5f, 0.4f};
    t.sky.cloudLow = 0.4f;
    t.sky.cloudHigh = 0.8f;
    // High and hard from the south-west.
    t.sunDirection = sun(0.4f, -0.85f, -0.35f);
    t.sunColour = {1.0f, 0.93f, 0.8f};
    t.fog = {0.9f, 0.82f, 0.68f};
    t.props = TrackTheme::Props::cacti;
    t.trunkTint = {0.5f, 0.85f, 0.45f};
    t.leafTint = {0.45f, 0.8f, 0.4f};
    return t;
}

TrackTheme snow() {
    TrackTheme t;
    t.name = "snow";
    t.ground[0] = {"Snow_Field", "sand", {1.15f, 1.26f, 1.68f}, {0.95f, 0.96f, 0.98f}};
    t.ground[1] = {"Snow_Ice", "sand", {0.9f, 1.05f, 1.5f}, {0.75f, 0.82f, 0.92f}};
    t.ground[2] = {"Snow_Rock", "rock", {0.8f, 0.85f, 0.95f}, {0.42f, 0.43f, 0.46f}};
    t.sky.zenith = {0.45f, 0.55f, 0.7f};
    t.sky.horizon = {0.85f, 0.88f, 0.92f};
    t.sky.sea = {0.5f, 0.55f, 0.6f};
    t.sky.cloudShadow = {0.7f, 0.72f, 0.76f};
    t.sky.cloudLow = -0.15f;
    t.sky.cloudHigh = 0.25f;
    // A pale winter sun, low in the south.
    t.sunDirection = sun(-0.2f, -0.38f, -0.9f);
    t.sunColour = {0.85f, 0.9f, 1.0f};
    t.fog = {0.86f, 0.89f, 0.93f};
    t.props = TrackTheme::Props::pines;
    t.trunkTint = {0.5f, 0.38f, 0.3f};
    t.leafTint = {0.25f, 0.5f, 0.35f};
    return t;
}

TrackTheme dusk() {
    TrackTheme t;
    t.name = "dusk";
    t.ground[0] = {"Dusk_Grass", "grass", {0.85f, 0.75f, 0.95f}, {0.27f, 0.41f, 0.21f}};
    t.ground[1] = {"Dusk_Sand", "sand", {0.9f, 0.75f, 0.75f}, {0.76f, 0.58f, 0.43f}};
    t.ground[2] = {"Dusk_Rock", "rock", {0.85f, 0.75f, 0.85f}, {0.42f, 0.35f, 0.37f}};
    t.sky.zenith = {0.12f, 0.14f, 0.38f};
    t.sky.horizon = {0.98f, 0.55f, 0.3f};
    t.sky.sea = {0.25f, 0.2f, 0.3f};
    t.sky.sunTint = {1.0f, 0.55f, 0.2f};
    t.sky.cloudShadow = {0.35f, 0.25f, 0.4f};
    t.sky.cloudLight = {1.0f, 0.6f, 0.45f};
    t.sky.cloudLow = 0.15f;
    t.sky.cloudHigh = 0.55f;
    // Just above the western horizon: long orange shadows.
    t.sunDirection = sun(0.9f, -0.26f, 0.2f);
    t.sunColour = {1.0f, 0.62f, 0.35f};
    t.fog = {0.75f, 0.5f, 0.42f};
    t.props = TrackTheme::Props::lamps;
    t.trunkTint = {0.35f, 0.35f, 0.4f};
    t.leafTint = {2.0f, 1.7f, 1.0f};
    return t;
}

} // namespace

const std::vector<std::string>& TrackTheme::names() {
    static const std::vector<std::string> list = {"island", "desert", "snow", "dusk"};
    return list;
}

bool TrackTheme::byName(const std::string& name, TrackTheme& theme) {
    if (name == "island")
        theme = island();
    else if (name == "desert")
        theme = desert();
    else if (name == "snow")
        theme = snow();
    else if (name == "dusk")
        theme = dusk();
    else
        return false;
    return true;
}
