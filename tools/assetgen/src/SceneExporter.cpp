// See SceneExporter.h.
#include "SceneExporter.h"

#include "FbxWriter.h"

#include <glm/gtc/quaternion.hpp>

#include <cmath>
#include <map>

namespace {

const glm::quat toFile = glm::angleAxis(glm::radians(90.0f), glm::vec3(1.0f, 0.0f, 0.0f));

class Exporter {
public:
    explicit Exporter(const TrackScene& scene)
    {
        for (const MaterialDef& m : scene.materials()) {
            const FbxWriter::Id id = fbx.addMaterial(m.name, m.diffuse);
            if (!m.diffuseTexture.empty())
                fbx.addTexture(m.name + "_diffuse", m.diffuseTexture, id, "DiffuseColor");
            if (!m.normalTexture.empty())
                fbx.addTexture(m.name + "_normal", m.normalTexture, id, "NormalMap");
            materialIds[m.name] = id;
        }
    }

    void node(const SceneNode& n, FbxWriter::Id parent, bool topLevel)
    {
        glm::vec3 t = n.position;
        glm::quat r = n.rotation;
        if (!topLevel) {
            t = toFile * t;
            r = toFile * r;
        }
        const char* kind = n.directionalLight ? "Light" : (n.mesh ? "Mesh" : "Null");
        const FbxWriter::Id model =
            fbx.addModel(n.name, kind, t, SceneExporter::eulerXyzDegrees(glm::mat3_cast(r)), n.scale, parent);
        if (n.mesh)
            mesh(n, model);
        if (n.directionalLight)
            fbx.addLight(n.name, 1, n.lightColour, model);
        for (const auto& child : n.children)
            node(*child, model, false);
    }

    std::string bytes(FbxFormat format) const { return fbx.bytes(format); }

private:
    void mesh(const SceneNode& n, FbxWriter::Id model)
    {
        Mesh fileMesh = *n.mesh;
        for (MeshVertex& v : fileMesh.vertices) {
            v.position = toFile * v.position;
            v.normal = toFile * v.normal;
            if (n.lightmapSize == 0)
                v.uv1 = v.uv0;
        }
        fbx.addGeometry(n.name, fileMesh, model);
        for (const std::string& material : n.materials) {
            const auto found = materialIds.find(material);
            if (found != materialIds.end())
                fbx.connectMaterial(found->second, model);
        }
    }

    FbxWriter fbx;
    std::map<std::string, FbxWriter::Id> materialIds;
};

} // namespace

glm::vec3 SceneExporter::eulerXyzDegrees(const glm::mat3& m)
{
    // m[column][row]; R = Rz(c) Ry(b) Rx(a).
    const float r20 = m[0][2];
    float a, b, c;
    if (std::abs(r20) < 0.99999f) {
        b = std::asin(-r20);
        a = std::atan2(m[1][2], m[2][2]);
        c = std::atan2(m[0][1], m[0][0]);
    } else {
        b = r20 < 0.0f ? glm::radians(90.0f) : glm::radians(-90.0f);
        a = std::atan2(-m[2][1], m[1][1]);
        c = 0.0f;
    }
    return glm::degrees(glm::vec3(a, b, c));
}

std::string SceneExporter::toFbx(const TrackScene& scene, FbxFormat format)
{
    Exporter exporter(scene);
    for (const auto& root : scene.nodes())
        exporter.node(*root, FbxWriter::root, true);
    return exporter.bytes(format);
}
