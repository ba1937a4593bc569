// Meshes: one interleaved vertex buffer, parts and bounds, the empty-mesh line, and
// the built-in primitives' bounds, streams, winding and texture coordinates. (The attribute
// state cache is pinned by the renderer's tests, its correctness by the screenshots.)
#include "GLResourceTest.h"
#include "support/LogCapture.h"

#include "core/resources/Mesh.h"

#include <glm/gtc/epsilon.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <gtest/gtest.h>

#include <vector>

namespace {

template <typename T> std::vector<T> readBuffer(const VertexBuffer& buffer, size_t perVertex) {
    std::vector<T> data(buffer.count * perVertex);
    glBindBuffer(GL_ARRAY_BUFFER, buffer.buffer);
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(data.size() * sizeof(T)), data.data());
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return data;
}

std::vector<uint16_t> readIndices(const IndexBuffer& buffer) {
    std::vector<uint16_t> data(buffer.count);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffer.buffer);
    glGetBufferSubData(GL_ELEMENT_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(data.size() * 2), data.data());
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    return data;
}

using MeshTest = GLResourceTest;

} // namespace

TEST_F(MeshTest, FinalizeInterleavesTheFilledAttributesInOrderInOneBuffer) {
    Mesh* mesh = cache->create<Mesh>("triangle");
    mesh->positions = {{-1, 0, 2}, {3, -4, 0}, {0, 5, -6}};
    mesh->uv1 = {{0, 0}, {1, 0}, {0, 1}};
    mesh->normals = {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}};
    mesh->uv0 = {{0, 0}};
    mesh->indices = {0, 1, 2, 2, 1, 0};
    LogCapture log;
    mesh->finalize();
    EXPECT_TRUE(
        log.contains("Mesh 'triangle' has 1 entries of uv0 for 3 positions; that stream is left out."));

    const std::vector<VertexBuffer*>& buffers = mesh->getVertexBuffers();
    ASSERT_EQ(buffers.size(), 1u);
    const VertexBuffer& buffer = *buffers[0];
    const char* names[] = {"position", "normal", "uv1"};
    ASSERT_EQ(buffer.layout.size(), 3u);
    for (size_t i = 0; i < buffer.layout.size(); ++i) {
        EXPECT_EQ(buffer.layout[i].name, names[i]);
    }
    EXPECT_EQ(buffer.layout[2].type, VertexAttributeType::Vec2);
    EXPECT_EQ(buffer.count, 3u);
    ASSERT_EQ(buffer.stride(), 8u * sizeof(float));
    const std::vector<float> data = readBuffer<float>(buffer, 8);
    for (size_t v = 0; v < 3; ++v) {
        EXPECT_EQ(glm::make_vec3(&data[v * 8]), mesh->positions[v]) << v;
        EXPECT_EQ(glm::make_vec3(&data[v * 8 + 3]), mesh->normals[v]) << v;
        EXPECT_EQ(glm::make_vec2(&data[v * 8 + 6]), mesh->uv1[v]) << v;
    }
    ASSERT_NE(mesh->getIndexBuffer(), nullptr);
    EXPECT_EQ(readIndices(*mesh->getIndexBuffer()), mesh->indices);

    ASSERT_EQ(mesh->parts.size(), 1u);
    EXPECT_EQ(mesh->parts[0].first, 0u);
    EXPECT_EQ(mesh->parts[0].count, 6u);
    EXPECT_EQ(mesh->getBounds().min, glm::vec3(-1, -4, -6));
    EXPECT_EQ(mesh->getBounds().max, glm::vec3(3, 5, 2));

    // Parts the producer gave are kept.
    mesh->parts = {{0, 3}, {3, 3}};
    mesh->finalize();
    ASSERT_EQ(mesh->parts.size(), 2u);
    EXPECT_EQ(mesh->parts[1].first, 3u);
}

TEST_F(MeshTest, AnEmptyMeshIsReportedAndKeepsNoBuffers) {
    Mesh* noIndices = cache->create<Mesh>("no indices");
    noIndices->positions = {{0, 0, 0}};
    Mesh* nothing = cache->create<Mesh>("");
    LogCapture log;
    noIndices->finalize();
    nothing->finalize();
    EXPECT_EQ(log.count("Finalize was called on empty mesh 'no indices'."), 1);
    EXPECT_EQ(log.count("Finalize was called on empty mesh 'Unnamed #1'."), 1);
    EXPECT_TRUE(noIndices->getVertexBuffers().empty());
    EXPECT_EQ(noIndices->getIndexBuffer(), nullptr);
    EXPECT_TRUE(noIndices->parts.empty());
}

// Wound counter-clockwise seen from outside, with the quad's u right and v up.
TEST_F(MeshTest, PrimitivesHaveTheirBoundsEveryStreamTheDefaultShaderReadsAndOutwardWinding) {
    const std::pair<const char*, glm::vec3> expected[] = {{"cube", glm::vec3(0.5f)},
                                                          {"quad", {0.5f, 0.5f, 0.0f}},
                                                          {"fullScreenQuad", {1.0f, 1.0f, 0.0f}},
                                                          {"sphere", glm::vec3(0.5f)},
                                                          {"cylinder", {0.5f, 1.0f, 0.5f}}};
    for (const auto& [name, max] : expected) {
        SCOPED_TRACE(name);
        const Mesh* mesh = cache->get<Mesh>(name);
        ASSERT_NE(mesh, nullptr);
        EXPECT_EQ(mesh->getIndexBuffer()->count, mesh->indices.size());
        // position, normal, tangent, bitangent and uv0.
        ASSERT_EQ(mesh->getVertexBuffers().size(), 1u);
        EXPECT_EQ(mesh->getVertexBuffers()[0]->layout.size(), 5u);
        EXPECT_TRUE(glm::all(glm::epsilonEqual(mesh->getBounds().max, max, 1e-5f)));
        EXPECT_TRUE(glm::all(glm::epsilonEqual(mesh->getBounds().min, -max, 1e-5f)));
        for (uint16_t index : mesh->indices) {
            ASSERT_LT(index, mesh->positions.size());
        }
        const bool closed = mesh->positions.size() > 4;
        for (size_t i = 0; i < mesh->indices.size(); i += 3) {
            const uint16_t a = mesh->indices[i], b = mesh->indices[i + 1], c = mesh->indices[i + 2];
            const glm::vec3 face =
                glm::cross(mesh->positions[b] - mesh->positions[a], mesh->positions[c] - mesh->positions[a]);
            ASSERT_GT(glm::length(face), 0.0f) << "triangle " << i / 3 << " is degenerate";
            const glm::vec3 normal = mesh->normals[a] + mesh->normals[b] + mesh->normals[c];
            EXPECT_GT(glm::dot(face, normal), 0.0f) << "triangle " << i / 3;
            if (closed) {
                const glm::vec3 centroid =
                    (mesh->positions[a] + mesh->positions[b] + mesh->positions[c]) / 3.0f;
                EXPECT_GT(glm::dot(face, centroid), 0.0f) << "triangle " << i / 3;
            }
        }
    }
    const Mesh* quad = cache->get<Mesh>("quad");
    for (size_t v = 0; v < quad->positions.size(); ++v) {
        EXPECT_EQ(quad->uv0[v], glm::vec2(quad->positions[v]) + 0.5f);
    }
}
