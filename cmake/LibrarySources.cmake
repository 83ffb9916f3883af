# The library's sources, one file per line and grouped by folder, so that a
# new file is one added line. Files written for one platform are chosen here
# rather than compiled everywhere and emptied by the preprocessor.

set(TIZ_SOURCES
  # Exports and their call frame: one file per family of the public header.
  AttributeStore/frame/BagExports.cpp
  AttributeStore/frame/CloneExports.cpp
  AttributeStore/frame/ControlExports.cpp
  AttributeStore/frame/DeletionExports.cpp
  AttributeStore/frame/DisplayExports.cpp
  AttributeStore/frame/Frame.cpp
  AttributeStore/frame/GetterExports.cpp
  AttributeStore/frame/ImageTreeExports.cpp
  AttributeStore/frame/IterationExports.cpp
  AttributeStore/frame/RecordExports.cpp
  AttributeStore/frame/ScannerFlagsExports.cpp
  AttributeStore/frame/SetterExports.cpp
  AttributeStore/frame/SettingsFileExports.cpp
  AttributeStore/frame/StoreExports.cpp
  AttributeStore/frame/StoredImagesExports.cpp
  AttributeStore/frame/TreeFileExports.cpp

  # Stores, settings and their walks.
  AttributeStore/core/Attribute.cpp
  AttributeStore/core/AttributeStore.cpp
  AttributeStore/core/Clone.cpp
  AttributeStore/core/Deletion.cpp
  AttributeStore/core/Iteration.cpp
  AttributeStore/core/KeyIndex.cpp
  AttributeStore/core/Names.cpp
  AttributeStore/core/SharedValues.cpp
  AttributeStore/core/StoreHandles.cpp
  AttributeStore/core/Teardown.cpp
  AttributeStore/core/TypedValues.cpp
  AttributeStore/core/UserDefined.cpp

  # Tree files, settings files, display.
  AttributeStore/persist/ConfiguredPaths.cpp
  AttributeStore/persist/Display.cpp
  AttributeStore/persist/DoubleText.cpp
  AttributeStore/persist/FileSections.cpp
  AttributeStore/persist/ProfileDocument.cpp
  AttributeStore/persist/ProfileEdit.cpp
  AttributeStore/persist/ProfileFile.cpp
  AttributeStore/persist/ProfileKeys.cpp
  AttributeStore/persist/ProfileLines.cpp
  AttributeStore/persist/ProfileNameIndex.cpp
  AttributeStore/persist/ProfileNames.cpp
  AttributeStore/persist/ProfileText.cpp
  AttributeStore/persist/SectionText.cpp
  AttributeStore/persist/SettingsFile.cpp
  AttributeStore/persist/SettingsLine.cpp
  AttributeStore/persist/SettingSection.cpp
  AttributeStore/persist/TextArena.cpp
  AttributeStore/persist/TreeFile.cpp
  AttributeStore/persist/TreeReader.cpp
  AttributeStore/persist/TreeSections.cpp
  AttributeStore/persist/TreeWriter.cpp

  # Text records of settings.
  AttributeStore/records/Records.cpp

  # The page tree and its bags.
  AttributeStore/imagetree/BagRef.cpp
  AttributeStore/imagetree/ImageTree.cpp
  AttributeStore/imagetree/ImagesMatch.cpp
  AttributeStore/imagetree/ScannerFlags.cpp
  AttributeStore/imagetree/Sides.cpp
  AttributeStore/imagetree/StoredImages.cpp
  AttributeStore/imagetree/TreeMadeBags.cpp
  AttributeStore/imagetree/TreeSurgery.cpp
  AttributeStore/imagetree/ZoomDpi.cpp

  # The seams to the host libraries: image, support and configuration.
  AttributeStore/configlib/ConfigLibrary.cpp
  AttributeStore/imagelib/ImageLibrary.cpp
  AttributeStore/supportlib/SupportLibrary.cpp

  # Text helpers.
  AttributeStore/support/Decimal.cpp
  AttributeStore/support/MultiByte.cpp

  # The platform layer: files common to every platform. Everything that
  # differs lives in the *Posix.cpp or *Win32.cpp files chosen below.
  AttributeStore/platform/CodePage.cpp
  AttributeStore/platform/FileSystem.cpp
  AttributeStore/platform/Lock.cpp
  AttributeStore/platform/TargetLock.cpp
  AttributeStore/platform/TemporaryFiles.cpp
  AttributeStore/platform/Trace.cpp
)

if(WIN32)
  list(APPEND TIZ_SOURCES
    AttributeStore/platform/AnsiTextWin32.cpp
    AttributeStore/platform/CodePageWin32.cpp
    AttributeStore/platform/FileLockWin32.cpp
    AttributeStore/platform/FileWin32.cpp
    AttributeStore/platform/LockWin32.cpp
    AttributeStore/platform/PathRulesWin32.cpp
    AttributeStore/platform/TraceWin32.cpp
  )
else()
  list(APPEND TIZ_SOURCES
    AttributeStore/platform/AnsiTextPosix.cpp
    AttributeStore/platform/CodePagePosix.cpp
    AttributeStore/platform/FileLockPosix.cpp
    AttributeStore/platform/FilePosix.cpp
    AttributeStore/platform/LockPosix.cpp
    AttributeStore/platform/PathRulesPosix.cpp
    AttributeStore/platform/TracePosix.cpp
  )
endif()

list(TRANSFORM TIZ_SOURCES PREPEND ${PROJECT_SOURCE_DIR}/)
