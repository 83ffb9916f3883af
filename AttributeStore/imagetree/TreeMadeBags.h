// Bags that the image-tree operations create for the tree and hand to no
// caller. Each keeps its creation reference, counted up its chain like every
// linked bag's references, so the counts of the tree are those its callers
// expect. That reference is nobody's to give back, so deleting such a bag
// while it is still empty gives it back: otherwise the bag would never reach
// a count of 0 and would outlive its tree. Callers hold the global lock.
#ifndef TIZ_IMAGETREE_TREEMADEBAGS_H
#define TIZ_IMAGETREE_TREEMADEBAGS_H

#include <cstddef>
#include <cstdint>

namespace tiz {

// Makes room to record `count` more bags, forgetting bags that are gone.
// Throws on exhausted memory, before anything is recorded.
void ReserveTreeMadeBags(size_t count);

// Records a bag whose creation reference the tree holds; room for it must
// have been reserved.
void RecordTreeMadeBag(uint32_t handle) noexcept;

// Forgets the bag; true when it was recorded, so that its creation reference
// is still the tree's.
bool ForgetTreeMadeBag(uint32_t handle) noexcept;

}  // namespace tiz

#endif
