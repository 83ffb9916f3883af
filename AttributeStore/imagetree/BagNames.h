// The group and item names of the pipeline's bag conventions: process-wide
// constants shared by the bag, image-tree, stored-image and scanner code.
#ifndef TIZ_IMAGETREE_BAGNAMES_H
#define TIZ_IMAGETREE_BAGNAMES_H

namespace tiz::bagnames {

// Items of the shortcut settings, and the item of every plain value.
inline constexpr const char kValue[] = "Attribute.Value";
inline constexpr const char kFrontSide[] = "Attribute.Front_Side";
inline constexpr const char kBackSide[] = "Attribute.Back_Side";

// Shortcut settings of the global bag; "Current.ImageStore" is also where a
// bag keeps its successor in the chain.
inline constexpr const char kCurrentImageStore[] = "Current.ImageStore";
inline constexpr const char kPersistentImageStore[] = "Current.Persistent_ImageStore";
// Where a bag keeps the head of a chain set aside by a save.
inline constexpr const char kSavedImageStore[] = "Current.Saved_ImageStore";

// Settings of the global bag.
inline constexpr const char kScanDuplex[] = "scan_duplex";
inline constexpr const char kUiBag[] = "ui.bag";
inline constexpr const char kDefaultsBag[] = "defaults.bag";
inline constexpr const char kTrapBag[] = "trap.bag";

// Marker that the back side's persistent bag holds (and its chain inherits).
inline constexpr const char kPersistentBack[] = "Persistent_Back";

}  // namespace tiz::bagnames

#endif
