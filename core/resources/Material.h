// How a mesh part is drawn: the shader and the defines it adds, the uniform
// values and textures sent before the draw, the fixed-function render state,
// the render queue and whether it casts and receives shadows.
#pragma once

#include "core/render/RenderState.h"
#include "core/resources/MaterialValue.h"
#include "core/resources/Resource.h"
#include "core/resources/UniformId.h"

#include <glm/glm.hpp>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct aiMaterial;
class Graphics;
class ResourceCache;
class Shader;
class Texture;

class Material : public Resource {
public:
    explicit Material(SystemRegistry* systems);

    void setRenderQueue(int32_t queue) { renderQueue = queue; }
    void setPolygonMode(PolygonMode mode) { polygonMode = mode; }
    void setBlendMode(BlendMode mode) { blendMode = mode; }
    void setBlendColor(const glm::vec4& color) { blendColor = color; }
    void setDepthFunc(DepthFunc func) { depthFunc = func; }
    void setDepthWrite(bool enabled) { depthWrite = enabled; }
    void setCullMode(CullMode mode) { cullMode = mode; }
    void setCastsShadows(bool enabled) { castsShadows = enabled; }
    void setReceivesShadows(bool enabled) { receivesShadows = enabled; }
    void setShader(Shader* newShader) { shader = newShader; }
    // An opaque surface that other opaque items lie on (the ground under a road):
    // drawn after them, so that what covers it is shaded first and its hidden
    // part fails the depth test instead of being shaded and then covered.
    void setUnderlay(bool enabled) { underlay = enabled; }
    // A normal map that only adds fine grain to a wide surface seen at a grazing
    // angle (the grass's, the asphalt's): drawn only by the full-detail preset,
    // as a scaled-down picture hardly shows it while it covers most of the view.
    void setFineRelief(bool enabled) { fineRelief = enabled; }
    // How far the vertex stage may move a vertex from where the mesh puts it (a
    // water surface's waves): the renderer widens the boxes it culls by this.
    void setVertexReach(float metres) { vertexReach = metres; }
    // Replaces any value of that name, whatever its type was.
    void setUniform(const std::string& name, const MaterialValue& value);
    // Replaces any texture of that sampler name; null removes it.
    void setTexture(const std::string& name, Texture* texture);
    void addDefine(const std::string& define);

    int32_t getRenderQueue() const { return renderQueue; }
    PolygonMode getPolygonMode() const { return polygonMode; }
    BlendMode getBlendMode() const { return blendMode; }
    const glm::vec4& getBlendColor() const { return blendColor; }
    DepthFunc getDepthFunc() const { return depthFunc; }
    bool getDepthWrite() const { return depthWrite; }
    CullMode getCullMode() const { return cullMode; }
    bool getCastsShadows() const { return castsShadows; }
    bool getReceivesShadows() const { return receivesShadows; }
    bool isUnderlay() const { return underlay; }
    bool hasFineRelief() const { return fineRelief; }
    Shader* getShader() const { return shader; }
    float getVertexReach() const { return vertexReach; }
    const std::map<std::string, MaterialValue>& getUniforms() const { return uniforms; }
    // The value of that name; a None value when there is none.
    MaterialValue getUniform(const std::string& name) const;
    const std::map<std::string, Texture*>& getTextures() const { return textures; }
    Texture* getTexture(const std::string& name) const;
    const std::vector<std::string>& getDefines() const { return defines; }
    bool hasDefine(const std::string& define) const;

    // For the renderer, with this material's program in use: the render state
    // through the cache (polygon mode Line whatever the material says when
    // wireframe is set), then every uniform by its type, then the textures on
    // units 0, 1, 2... in the order of getTextures(), each sampler set to its unit.
    void applyRenderState(Graphics& graphics, bool wireframe) const;
    void sendUniforms(Graphics& graphics) const;
    // Returns the number of units used.
    uint32_t bindTextures(Graphics& graphics) const;

    // Takes over an imported material: the "default" shader, "albedo" from its
    // diffuse colour, and its first diffuse, normal and lightmap textures (shared
    // through the cache by path) with the defines "DIFFUSE", "NORMAL", "LIGHTMAP".
    // A material with a diffuse texture and no normal map gets the flat one
    // (Texture2D::flatNormal). The textures are only named: loadTextures reads
    // them once something draws the material.
    void fromImport(const aiMaterial& imported);
    // Reads the named textures not read yet, the normal map only when normalMaps
    // is set. A file that cannot be read is left out with its define (a colour
    // map falls back to the "default" checkerboard, a normal map to the flat
    // one). From then on the material is one that is drawn (isDrawn).
    void loadTextures(bool normalMaps);
    bool isDrawn() const { return drawn; }
    // The files loadTextures(normalMaps) would read: of a material fromImport
    // would make from imported (as the file names them), and of this one (those
    // named and not read yet), for decoding them ahead.
    static std::vector<std::string> picturesOf(const aiMaterial& imported, bool normalMaps);
    std::vector<std::string> unreadPictures(bool normalMaps) const;

    // "default" (checkerboard on the default shader) and "wireframe" (on the
    // "color" shader when there is one).
    static void createBuiltIns(ResourceCache& cache);

    // Units 9 and up belong to the renderer.
    static constexpr uint32_t maxTextures = 9;

private:
    void importTexture(const aiMaterial& imported, int type, const std::string& sampler,
                       const std::string& define);
    // Whether loadTextures(normalMaps) reads the sampler's picture.
    static bool reads(const std::string& sampler, bool normalMaps);

    int32_t renderQueue = 0;
    PolygonMode polygonMode = PolygonMode::Fill;
    BlendMode blendMode = BlendMode::None;
    glm::vec4 blendColor{1.0f};
    DepthFunc depthFunc = DepthFunc::Less;
    bool depthWrite = true;
    CullMode cullMode = CullMode::Back;
    bool castsShadows = true;
    bool receivesShadows = true;
    bool underlay = false;
    bool fineRelief = false;
    float vertexReach = 0.0f;
    bool drawn = false;
    Shader* shader = nullptr;
    std::map<std::string, MaterialValue> uniforms;
    std::map<std::string, Texture*> textures;
    std::vector<std::string> defines;
    // The names above interned, in map order; made again after a change, so
    // that drawing sends them without string work.
    void internNames() const;
    mutable std::vector<UniformId> uniformIds;
    mutable std::vector<UniformId> textureIds;
    mutable bool namesInterned = false;
};
