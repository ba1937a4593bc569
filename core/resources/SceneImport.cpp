// Scene import: a model file's node tree becomes entities with transforms, mesh
// renderers, lightmaps and lights. Axis correction turns the file's Z-up nodes
// into the engine's Y-up world (see DEVELOPERS.md, "Import axis convention").
#include "core/resources/ResourceLoader.h"

#include "core/platform/Log.h"
#include "core/render/Light.h"
#include "core/render/MeshRenderer.h"
#include "core/resources/ImagePrefetch.h"
#include "core/resources/Material.h"
#include "core/resources/Mesh.h"
#include "core/resources/ResourceCache.h"
#include "core/resources/Texture2D.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SystemRegistry.h"
#include "core/runtime/Transform.h"

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr float quarterTurn = 1.5707964f;
const glm::vec3 xAxis(1.0f, 0.0f, 0.0f);

struct ImportContext {
    const ResourceLoader& loader;
    ResourceCache& cache;
    Scene& scene;
    const aiScene& file;
    // The scene file's folder, where its "lightmaps/" folder lies.
    std::string folder;
    // Put before the cached names of its meshes and lightmaps, so that two track
    // files with nodes of the same name never share them; empty for files
    // directly in "scenes/", which keep the bare names.
    std::string cachePrefix;
};

std::string lightmapPathOf(const ImportContext& context, const std::string& entityName) {
    return context.folder + "lightmaps/Job 1_" + entityName + "_SHADOW.png";
}

bool leftOut(const ImportContext& context, const aiNode& node) {
    const std::vector<std::string>& names = context.scene.leftOutNodes;
    return std::find(names.begin(), names.end(), node.mName.C_Str()) != names.end();
}

glm::mat4 toGlm(const aiMatrix4x4& m) {
    // Assimp stores rows, GLM columns.
    return glm::transpose(glm::make_mat4(&m.a1));
}

glm::vec3 toGlm(const aiVector3D& v) {
    return {v.x, v.y, v.z};
}

std::string materialName(const aiMaterial& material) {
    aiString name;
    material.Get(AI_MATKEY_NAME, name);
    return name.C_Str();
}

// The file's materials become cached materials under their names, unless the
// game registered its own under that name before importing.
void importMaterials(const ImportContext& context) {
    for (unsigned i = 0; i < context.file.mNumMaterials; ++i) {
        const aiMaterial& imported = *context.file.mMaterials[i];
        const std::string name = materialName(imported);
        if (name.empty() || context.cache.exists<Material>(name)) {
            continue;
        }
        context.cache.create<Material>(name)->fromImport(imported);
    }
}

struct Streams {
    bool normals = false;
    bool tangents = false;
    bool uv0 = false;
    bool uv1 = false;
};

// Every stream that one of the node's meshes has is filled for all of them (zeros
// where a mesh lacks it), so the lists stay the same length as the positions.
Streams streamsOf(const aiScene& file, const aiNode& node) {
    Streams streams;
    for (unsigned i = 0; i < node.mNumMeshes; ++i) {
        const aiMesh& mesh = *file.mMeshes[node.mMeshes[i]];
        streams.normals = streams.normals || mesh.HasNormals();
        streams.tangents = streams.tangents || mesh.HasTangentsAndBitangents();
        streams.uv0 = streams.uv0 || mesh.HasTextureCoords(0);
        streams.uv1 = streams.uv1 || mesh.HasTextureCoords(1);
    }
    return streams;
}

// Model files list every triangle's corners apart, so a smooth surface holds
// each vertex about six times over. For each corner, the first corner with the
// same values in every stream: the GL buffers hold a sixth of the data, and the
// driver shades each shared vertex once instead of once per triangle.
bool sameCorner(const aiMesh& source, unsigned a, unsigned b) {
    const auto same = [a, b](const aiVector3D* values) {
        return values == nullptr || values[a] == values[b];
    };
    return same(source.mVertices) && same(source.mNormals) && same(source.mTangents) &&
           same(source.mBitangents) && same(source.mTextureCoords[0]) && same(source.mTextureCoords[1]);
}

std::vector<uint32_t> firstOccurrences(const aiMesh& source) {
    const unsigned count = source.mNumVertices;
    std::vector<uint32_t> firstOf(count);
    size_t slots = 16;
    while (slots < count * 2u) {
        slots *= 2;
    }
    constexpr uint32_t empty = std::numeric_limits<uint32_t>::max();
    std::vector<uint32_t> table(slots, empty);
    const auto bitsOf = [](float value) {
        uint32_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        return bits;
    };
    for (unsigned v = 0; v < count; ++v) {
        // Position and normal tell corners apart well enough to hash; the
        // comparison checks every stream.
        uint64_t hash = 1469598103934665603ull;
        const aiVector3D& p = source.mVertices[v];
        const aiVector3D n = source.mNormals != nullptr ? source.mNormals[v] : aiVector3D();
        for (const float value : {p.x, p.y, p.z, n.x, n.y, n.z}) {
            hash = (hash ^ bitsOf(value)) * 1099511628211ull;
        }
        size_t slot = static_cast<size_t>(hash ^ (hash >> 29)) & (slots - 1);
        while (table[slot] != empty && !sameCorner(source, table[slot], v)) {
            slot = (slot + 1) & (slots - 1);
        }
        if (table[slot] == empty) {
            table[slot] = v;
        }
        firstOf[v] = table[slot];
    }
    return firstOf;
}

void appendPart(Mesh& mesh, const aiMesh& source, const Streams& streams, const glm::mat3& rotation) {
    const auto base = static_cast<uint32_t>(mesh.positions.size());
    MeshPart part;
    part.first = static_cast<uint32_t>(mesh.indices.size());
    const std::vector<uint32_t> firstOf = firstOccurrences(source);
    size_t distinct = 0;
    for (unsigned v = 0; v < source.mNumVertices; ++v) {
        distinct += firstOf[v] == v ? 1 : 0;
    }
    if (base + distinct > std::numeric_limits<uint16_t>::max() + 1u) {
        // 16-bit indices cannot reach these vertices; an empty part keeps the
        // materials of the later parts where they belong.
        logError("Mesh '", mesh.getName(), "' has more than 65536 vertices; part '", source.mName.C_Str(),
                 "' is left out.");
        mesh.parts.push_back(part);
        return;
    }
    // The file's corners in the welded list: a corner repeating an earlier one
    // takes that one's place.
    std::vector<uint32_t> welded(source.mNumVertices);
    for (unsigned v = 0; v < source.mNumVertices; ++v) {
        if (firstOf[v] != v) {
            welded[v] = welded[firstOf[v]];
            continue;
        }
        welded[v] = static_cast<uint32_t>(mesh.positions.size()) - base;
        mesh.positions.push_back(rotation * toGlm(source.mVertices[v]));
        if (streams.normals) {
            mesh.normals.push_back(source.HasNormals() ? rotation * toGlm(source.mNormals[v])
                                                       : glm::vec3(0.0f));
        }
        if (streams.tangents) {
            const bool has = source.HasTangentsAndBitangents();
            mesh.tangents.push_back(has ? rotation * toGlm(source.mTangents[v]) : glm::vec3(0.0f));
            mesh.bitangents.push_back(has ? rotation * toGlm(source.mBitangents[v]) : glm::vec3(0.0f));
        }
        if (streams.uv0) {
            mesh.uv0.push_back(source.HasTextureCoords(0) ? glm::vec2(toGlm(source.mTextureCoords[0][v]))
                                                          : glm::vec2(0.0f));
        }
        if (streams.uv1) {
            mesh.uv1.push_back(source.HasTextureCoords(1) ? glm::vec2(toGlm(source.mTextureCoords[1][v]))
                                                          : glm::vec2(0.0f));
        }
    }
    for (unsigned f = 0; f < source.mNumFaces; ++f) {
        const aiFace& face = source.mFaces[f];
        // Points and lines survive triangulation; they have no place in a triangle list.
        if (face.mNumIndices != 3) {
            continue;
        }
        for (unsigned k = 0; k < 3; ++k) {
            mesh.indices.push_back(static_cast<uint16_t>(base + welded[face.mIndices[k]]));
        }
    }
    part.count = static_cast<uint32_t>(mesh.indices.size()) - part.first;
    mesh.parts.push_back(part);
}

Mesh* meshOf(const ImportContext& context, const aiNode& node, const std::string& name) {
    if (Mesh* shared = context.cache.get<Mesh>(name)) {
        return shared;
    }
    Mesh* mesh = context.cache.create<Mesh>(name);
    const glm::mat3 rotation = context.scene.axisCorrection
                                   ? glm::mat3(glm::rotate(glm::mat4(1.0f), -quarterTurn, xAxis))
                                   : glm::mat3(1.0f);
    const Streams streams = streamsOf(context.file, node);
    // Sized once: growing by doubling would leave up to half of each list unused.
    size_t vertices = 0;
    size_t faces = 0;
    for (unsigned i = 0; i < node.mNumMeshes; ++i) {
        vertices += context.file.mMeshes[node.mMeshes[i]]->mNumVertices;
        faces += context.file.mMeshes[node.mMeshes[i]]->mNumFaces;
    }
    mesh->positions.reserve(vertices);
    mesh->normals.reserve(streams.normals ? vertices : 0);
    mesh->tangents.reserve(streams.tangents ? vertices : 0);
    mesh->bitangents.reserve(streams.tangents ? vertices : 0);
    mesh->uv0.reserve(streams.uv0 ? vertices : 0);
    mesh->uv1.reserve(streams.uv1 ? vertices : 0);
    mesh->indices.reserve(faces * 3);
    for (unsigned i = 0; i < node.mNumMeshes; ++i) {
        appendPart(*mesh, *context.file.mMeshes[node.mMeshes[i]], streams, rotation);
    }
    // Welding left the lists shorter than reserved; positions stay for physics.
    mesh->positions.shrink_to_fit();
    mesh->finalize();
    return mesh;
}

void importMeshes(const ImportContext& context, const aiNode& node, Entity& entity,
                  const std::string& indent) {
    Mesh* mesh = meshOf(context, node, context.cachePrefix + entity.name);
    std::vector<Material*> materials;
    for (unsigned i = 0; i < node.mNumMeshes; ++i) {
        const aiMesh& part = *context.file.mMeshes[node.mMeshes[i]];
        const std::string name = part.mMaterialIndex < context.file.mNumMaterials
                                     ? materialName(*context.file.mMaterials[part.mMaterialIndex])
                                     : std::string();
        logInfo(indent, "Material found: ", name);
        Material* material = context.cache.get<Material>(name);
        if (material != nullptr) {
            material->loadTextures(context.loader.normalMapsDrawn());
        } else {
            // The "default" material shows the checkerboard.
            Texture2D::checkerboard(context.cache);
            material = context.cache.get<Material>("default");
        }
        materials.push_back(material);
    }
    auto* renderer = entity.addComponent<MeshRenderer>(mesh, materials);

    const std::string lightmapPath = lightmapPathOf(context, entity.name);
    if (context.loader.resolve(lightmapPath).empty()) {
        return;
    }
    const std::string lightmapName = "LM_" + context.cachePrefix + entity.name;
    Texture2D* lightmap = context.cache.get<Texture2D>(lightmapName);
    if (lightmap == nullptr) {
        lightmap = context.cache.create<Texture2D>(lightmapName);
        // The shaders read only its red (sun) and green (sky).
        lightmap->load(lightmapPath, TextureFormat::RedGreen);
    }
    // One that cannot be decoded is treated like a missing one, not drawn as black.
    if (lightmap->getWidth() > 0.0f) {
        renderer->setLightmap(lightmap);
    }
}

void importLights(const ImportContext& context, const aiNode& node, Entity& entity, Transform& transform) {
    for (unsigned i = 0; i < context.file.mNumLights; ++i) {
        const aiLight& source = *context.file.mLights[i];
        if (source.mName != node.mName) {
            continue;
        }
        auto* light = entity.addComponent<Light>();
        light->color = glm::vec3(source.mColorDiffuse.r, source.mColorDiffuse.g, source.mColorDiffuse.b);
        switch (source.mType) {
        case aiLightSource_DIRECTIONAL:
            light->type = Light::directional;
            // The file's lights shine along their node's +Z; the engine's along -Z.
            transform.rotate(glm::radians(-180.0f), xAxis, Space::Local);
            break;
        case aiLightSource_POINT:
            light->type = Light::point;
            light->constant = source.mAttenuationConstant;
            light->linear = source.mAttenuationLinear;
            light->quadratic = source.mAttenuationQuadratic;
            break;
        case aiLightSource_SPOT:
            light->type = Light::spot;
            light->constant = source.mAttenuationConstant;
            light->linear = source.mAttenuationLinear;
            light->quadratic = source.mAttenuationQuadratic;
            light->innerAngle = source.mAngleInnerCone;
            light->outerAngle = source.mAngleOuterCone;
            light->direction = toGlm(source.mDirection);
            transform.rotate(glm::radians(-90.0f), xAxis, Space::Local);
            break;
        default:
            break;
        }
    }
}

// How many nodes read each of the file's meshes. buildMeshes counts down those
// it makes meshes for, so one that a nameless node reads (left to importNode,
// which numbers it) is never done with.
void countMeshReaders(const ImportContext& context, const aiNode& node, std::vector<unsigned>& readers) {
    if (leftOut(context, node)) {
        return;
    }
    for (unsigned i = 0; i < node.mNumMeshes; ++i) {
        ++readers[node.mMeshes[i]];
    }
    for (unsigned i = 0; i < node.mNumChildren; ++i) {
        countMeshReaders(context, *node.mChildren[i], readers);
    }
}

template <typename T> void freeArray(T*& array) {
    delete[] array;
    array = nullptr;
}

// Frees a file mesh's vertices and faces, copied into an engine mesh: most of the file's memory.
void dropVertices(aiMesh& mesh) {
    freeArray(mesh.mVertices);
    freeArray(mesh.mNormals);
    freeArray(mesh.mTangents);
    freeArray(mesh.mBitangents);
    for (aiVector3D*& uv : mesh.mTextureCoords) {
        freeArray(uv);
    }
    for (aiColor4D*& colors : mesh.mColors) {
        freeArray(colors);
    }
    freeArray(mesh.mFaces);
    mesh.mNumFaces = 0;
    mesh.mNumVertices = 0;
}

void buildNodeMeshes(const ImportContext& context, const aiNode& node, aiScene& file,
                     std::vector<unsigned>& readers) {
    if (leftOut(context, node)) {
        return;
    }
    if (node.mNumMeshes > 0 && node.mName.length > 0) {
        meshOf(context, node, context.cachePrefix + node.mName.C_Str());
        for (unsigned i = 0; i < node.mNumMeshes; ++i) {
            if (--readers[node.mMeshes[i]] == 0) {
                dropVertices(*file.mMeshes[node.mMeshes[i]]);
            }
        }
    }
    for (unsigned i = 0; i < node.mNumChildren; ++i) {
        buildNodeMeshes(context, *node.mChildren[i], file, readers);
    }
}

// The meshes importNode will give the nodes, made ahead of it: the workers decode
// the pictures meanwhile, and the import then takes them decoded instead of
// waiting for each in turn. Each file mesh is freed once its last reader is
// made, so that the file and the engine's copy of it are never held whole
// together while the decoded pictures pile up.
void buildMeshes(const ImportContext& context, aiScene& file) {
    std::vector<unsigned> readers(file.mNumMeshes, 0);
    countMeshReaders(context, *file.mRootNode, readers);
    buildNodeMeshes(context, *file.mRootNode, file, readers);
}

void importNode(const ImportContext& context, const aiNode& node, Transform* parent) {
    if (leftOut(context, node)) {
        return;
    }
    Scene& scene = context.scene;
    scene.importDepth += 1;
    const std::string indent(static_cast<size_t>(std::max(scene.importDepth, 0)) * 2, ' ');
    logInfo(indent, "Node found: ", node.mName.C_Str(), ", #meshes: ", node.mNumMeshes);

    Entity* entity = scene.createEntity(node.mName.C_Str());
    auto* transform = entity->addComponent<Transform>();
    if (parent != nullptr) {
        transform->setParent(parent);
    }
    glm::mat4 local = toGlm(node.mTransformation);
    if (scene.axisCorrection) {
        const float angle = node.mParent == nullptr ? quarterTurn : -quarterTurn;
        local = glm::rotate(glm::mat4(1.0f), angle, xAxis) * local;
    }
    transform->setLocalMatrix(local);

    if (node.mNumMeshes > 0) {
        importMeshes(context, node, *entity, indent);
    }
    importLights(context, node, *entity, *transform);
    for (unsigned i = 0; i < node.mNumChildren; ++i) {
        importNode(context, *node.mChildren[i], transform);
    }
    scene.importDepth -= 1;
}

// The pictures of a material the import reads that are not read yet.
void addPicturesOf(const ImportContext& context, const aiMaterial& material,
                   std::vector<std::string>& paths) {
    const std::string name = materialName(material);
    if (name.empty()) {
        // Not imported: its meshes draw with the "default" material.
        return;
    }
    const bool normalMaps = context.loader.normalMapsDrawn();
    if (const Material* cached = context.cache.get<Material>(name)) {
        // Imported before (or the game's own): what it names is what is read.
        for (const std::string& path : cached->unreadPictures(normalMaps)) {
            paths.push_back(context.loader.resolve(path));
        }
        return;
    }
    for (const std::string& path : Material::picturesOf(material, normalMaps)) {
        const Texture2D* texture = context.cache.get<Texture2D>(path);
        if (texture == nullptr || texture->isPending()) {
            paths.push_back(context.loader.resolve(path));
        }
    }
}

// The files the import will load as textures, in the order it loads them: for
// each mesh node, depth first, the pictures of its materials not met before,
// then its lightmap.
void collectPictures(const ImportContext& context, const aiNode& node, std::vector<bool>& materialsSeen,
                     std::vector<std::string>& paths) {
    if (leftOut(context, node)) {
        return;
    }
    for (unsigned i = 0; i < node.mNumMeshes; ++i) {
        const unsigned index = context.file.mMeshes[node.mMeshes[i]]->mMaterialIndex;
        if (index < context.file.mNumMaterials && !materialsSeen[index]) {
            materialsSeen[index] = true;
            addPicturesOf(context, *context.file.mMaterials[index], paths);
        }
    }
    if (node.mNumMeshes > 0 &&
        !context.cache.exists<Texture2D>("LM_" + context.cachePrefix + std::string(node.mName.C_Str()))) {
        paths.push_back(context.loader.resolve(lightmapPathOf(context, node.mName.C_Str())));
    }
    for (unsigned i = 0; i < node.mNumChildren; ++i) {
        collectPictures(context, *node.mChildren[i], materialsSeen, paths);
    }
}

std::vector<std::string> picturesOf(const ImportContext& context) {
    std::vector<std::string> paths;
    std::vector<bool> materialsSeen(context.file.mNumMaterials, false);
    collectPictures(context, *context.file.mRootNode, materialsSeen, paths);
    return paths;
}

} // namespace

void ResourceLoader::importScene(Scene& scene, const std::string& path) {
    ResourceCache* cache = get<ResourceCache>();
    if (cache == nullptr) {
        logError("Error loading scene: ", path);
        logError("No resource cache to import into.");
        return;
    }
    Assimp::Importer importer;
    const aiScene* parsed = importer.ReadFile(resolve(path), aiProcess_Triangulate);
    // The generator writes the tangents into its files. Asked for in the same
    // call, Assimp's tangent step would sort every mesh's vertices by position
    // even where it then leaves the file's tangents alone.
    if (parsed != nullptr &&
        std::any_of(parsed->mMeshes, parsed->mMeshes + parsed->mNumMeshes,
                    [](const aiMesh* mesh) { return !mesh->HasTangentsAndBitangents(); })) {
        parsed = importer.ApplyPostProcessing(aiProcess_CalcTangentSpace);
    }
    if (parsed == nullptr || (parsed->mFlags & AI_SCENE_FLAGS_INCOMPLETE) != 0 ||
        parsed->mRootNode == nullptr) {
        logError("Error loading scene: ", path);
        logError(importer.GetErrorString());
        return;
    }
    // Owned here, so that the meshes' vertices can go as soon as they are copied.
    const std::unique_ptr<aiScene> file(importer.GetOrphanedScene());
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string prefix = folder.empty() || folder == "scenes/" ? std::string() : folder;
    const ImportContext context{*this, *cache, scene, *file, folder.empty() ? "scenes/" : folder, prefix};
    importing = std::make_unique<ImagePrefetch>(picturesOf(context));
    importMaterials(context);
    buildMeshes(context, *file);
    importNode(context, *file->mRootNode, nullptr);
    importing.reset();
}

void ResourceLoader::setNormalMapsDrawn(bool drawn) {
    normalMaps = drawn;
    auto* cache = drawn ? get<ResourceCache>() : nullptr;
    if (cache == nullptr) {
        return;
    }
    for (Material* material : cache->getAll<Material>()) {
        if (material->isDrawn()) {
            material->loadTextures(true);
        }
    }
}
