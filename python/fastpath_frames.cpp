// One selection answered frame after frame on one molecule (kaselect.select_frames):
// a capsule owns the native FrameSelect; the package keeps the molecule
// alive beside it and sets each frame's coordinates before asking.
#include <memory>

#include "fastpath.h"
#include "selection/frame_select.h"

namespace fastpath {

namespace {

constexpr const char* kFrameCapsule = "kaselect._fastpath.frame_selector";

void FreeFrameSelector(PyObject* capsule) {
    delete static_cast<KaSel::FrameSelect*>(PyCapsule_GetPointer(capsule, kFrameCapsule));
}

}  // namespace

// frame_selector(mol, text) -> capsule; raises ValueError when the text does not parse.
PyObject* FrameSelector(PyObject*, PyObject* args) {
    PyObject *molObj, *textObj;
    if (!PyArg_UnpackTuple(args, "frame_selector", 2, 2, &molObj, &textObj)) return nullptr;
    Kamol::KaMolBase* mol = MoleculeFromObject(molObj);
    if (!mol) return nullptr;
    std::string text;
    if (!fastpath::SelectionText(textObj, &text)) return nullptr;
    std::unique_ptr<KaSel::FrameSelect> selector;
    if (!Guarded([&] { selector = std::make_unique<KaSel::FrameSelect>(*mol, KaSel::KaSelection::Parse(text)); }))
        return nullptr;
    PyObject* capsule = PyCapsule_New(selector.get(), kFrameCapsule, FreeFrameSelector);
    if (capsule) selector.release();
    return capsule;
}

// frame_indices(capsule) -> (owner, address, count) of the atoms selected
// with the molecule's current coordinates.
PyObject* FrameIndices(PyObject*, PyObject* arg) {
    auto* selector = static_cast<KaSel::FrameSelect*>(PyCapsule_GetPointer(arg, kFrameCapsule));
    if (!selector) return nullptr;
    std::vector<unsigned int> selected;
    if (!Guarded([&] { selected = selector->Select(); })) return nullptr;
    return IndexBuffer(std::move(selected));
}

}  // namespace fastpath
