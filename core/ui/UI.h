// The 2D user interface: gathers the draw items of the current scene's UI
// elements each frame, sorts them by layer and draws them over the finished 3D
// views, in window pixels with the origin at the bottom-left corner.
#pragma once

#include "core/runtime/System.h"
#include "core/ui/UIDrawItem.h"

#include <cstdint>
#include <memory>
#include <vector>

class Engine;
class Graphics;
class IndexBuffer;
class Material;
class Mesh;
class Scene;
class UIElement;

class UI : public System {
public:
    explicit UI(SystemRegistry* systems);
    ~UI() override;

    // Collects the items of the enabled elements of active entities, lower layers first.
    void update(Scene& scene, float dt);
    // Makes room in the lists for every element of the scene, hidden ones too:
    // loading calls it, so that no frame of the scene grows them.
    void readyFor(Scene& scene);
    // Draws the collected items over the whole window; nothing while disabled.
    void draw();

    const std::vector<UIDrawItem>& getItems() const { return items; }

    Engine* engine = nullptr;
    // Toggled by the debug keys; hides every element.
    bool enabled = true;

private:
    // Render states and program of material; false when it cannot be drawn.
    bool applyMaterial(Material* material, float brightness);
    void makeRoom(size_t sceneElements);

    Graphics* graphics = nullptr;
    // The 1 x 1 quad items without quads of their own are drawn with.
    std::unique_ptr<Mesh> quad;
    // Two triangles for each of the first Text::maxQuads quads of an item's own.
    std::unique_ptr<IndexBuffer> quadIndices;
    std::vector<UIDrawItem> items;
    // Reused each frame, so that gathering allocates nothing once the lists have grown.
    std::vector<UIElement*> elementScratch;
    std::vector<uint32_t> order;
    std::vector<UIDrawItem> sorted;
};
