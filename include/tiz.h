/*
 * tiz: hierarchical, typed attribute stores.
 *
 * A store is a table of settings. A setting is named by two texts, a group
 * and an item, and holds one typed value (DWORD, DOUBLE, STRING, BUFFER,
 * IMAGE, a caller's structure, or another store) with a signed confidence
 * number. Stores nest: a store linked as a child of another lets reads that
 * miss in it continue in its parent, the parent's parent, and so on.
 *
 * How the library is built is in docs/design.md; the file formats are in
 * docs/tree-file.md and docs/settings-file.md.
 *
 * Conventions that hold for every function below unless its own comment
 * says otherwise:
 *
 * (1) Handles. A store is named by an opaque 32-bit handle; 0 is never a
 *     store. Every function that takes a store handle checks it first and
 *     answers TIZ_E_INVALID_HANDLE (-16) for 0, a value never handed out, or
 *     the handle of a store already destroyed. A handle stays valid until
 *     the store is destroyed: by the TIZ_Release that gives back its last
 *     reference, by the teardown of the store it is child-linked to, or by
 *     TIZ_DeleteSetting of a setting that holds it.
 *
 * (2) References. A store carries a reference count. TIZ_Create hands out
 *     one reference; TIZ_AddRef and the getters that hand out a store
 *     (TIZ_GetSettingAttrStore, TIZ_UtilGetCurrentBag, ...) add one that the
 *     caller owns; TIZ_Release gives one back. Every reference a caller owns
 *     must be given back exactly once. A reference counted in a linked child
 *     is counted in each of its ancestors too, so a parent lives at least as
 *     long as any reference to one of its children.
 *
 * (3) Result codes. Functions return a signed 32-bit code: 0 (TIZ_OK)
 *     success; 1 and 2 (and 3 for the display) informational; negative
 *     codes are errors, listed once below where they are defined. A getter
 *     returns 0 when the setting was found in the store given, 1 when it was
 *     found in an ancestor, 2 when it was found nowhere. Texts for the codes
 *     are in tiz_result.h (tiz_result_text), not in this library.
 *     Each function's comment closes with one sentence "Results: ..." that
 *     names every result the function returns, and each of them has a way
 *     to be returned; the one result left out everywhere is the support
 *     library's answer below.
 *     When a call fails inside the library for want of memory, the library
 *     reports "Catch in TIZ.DLL : <function name>" to the support library
 *     (ORV310) and returns that library's answer (the stand-in answers -1
 *     unless told otherwise); the lock is released and effects made before
 *     the failure stay.
 *
 * (4) Texts. Group and item names, values and file names are narrow,
 *     NUL-terminated texts in the process's ANSI code page (on Linux the
 *     code page named by the environment variable TIZ_CODEPAGE, default
 *     1252). Names are compared byte for byte: letter case matters. A group
 *     must be non-null and non-empty and an item non-null (else
 *     TIZ_E_INVALID_ARG); an empty item means "Value". The library never
 *     keeps a pointer to a caller's text: it copies what it keeps.
 *     Names holding the byte 0x7F are stored, but cloning passes such
 *     settings over and a save stops at them (0x7F joins group and item
 *     inside a store).
 *
 * (5) Bounded copies. A text copied into a caller's buffer of `len` bytes
 *     never writes beyond `len` bytes. Each function says what the buffer
 *     holds when the text does not fit.
 *
 * (6) Out parameters. A null out pointer is refused with TIZ_E_INVALID_ARG
 *     (TIZ_E_NULL_POINTER for the image-tree utilities) before anything is
 *     looked up. Out parameters are written only on the results each
 *     function names; on other results they keep what the caller put there.
 *
 * (7) One lock. Every function that touches a store runs under one global,
 *     recursive lock, so calls from any number of threads are serialised.
 *     The lock is not held after a call returns: a pointer into a store
 *     (TIZ_GetCharPointer, ...) is safe only while no other thread changes
 *     that setting. One store has one iteration cursor, shared by all
 *     threads. The text records (UtilAttribute_*) and the library-control
 *     functions take no lock.
 *
 * (8) Callbacks. A structure's release and display callbacks are called
 *     with the lock held, on the thread whose call triggered them. They may
 *     call the library again (the lock is re-entered), even to change or
 *     delete the setting or release the store; they must not wait for
 *     another thread that calls the library. On 32-bit Windows they use the
 *     stdcall convention (TIZ_API), as every function here does.
 */
#ifndef TIZ_H
#define TIZ_H

#include <stdint.h>

#include "tiz_platform.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Result codes. Codes the configuration library (BrlConfigIO) returns are
 * passed through unchanged by the file functions; its stand-in answers:
 *   -1  unknown parameter, key path or value name,
 *   -2  no file name left once the directory part is cut off (an empty
 *       name, ".", "..", a name ending in a separator),
 *   -3  no destination set yet,
 *   -4  the directory (TIZ_PERSIST_DIR, TIZ_SETTINGS_DIR or its default)
 *       does not exist and cannot be made,
 *   -5  the path does not fit the library's 260-byte (256 for settings)
 *       buffer.
 * The library never asks the stand-in for an unknown name (-1) or before it
 * has set a destination (-3). A function's own comment says which codes it
 * returns. */
/* Success. */
#define TIZ_OK 0
/* A getter found the setting in an ancestor store, not in the store given. */
#define TIZ_FOUND_IN_ANCESTOR 1
/* A getter found the setting nowhere; TIZ_SetConfidence and TIZ_DeleteSetting
 * did not find it in the store given; a bag shortcut is absent. */
#define TIZ_NOT_FOUND 2
/* TIZ_DisplayAttribute: the text was cut to the buffer (no terminator). */
#define TIZ_TRUNCATED_DISPLAY 3
/* The settings loader could not hold the file in memory; also the answer of
 * TIZ_DisplayAttribute when it fails inside (it reports nothing). */
#define TIZ_E_NO_MEMORY_LINE -9
/* Kept for compatibility: a save writes every BUFFER value, so no function
 * returns it. */
#define TIZ_E_WRITE_BUFFER -13
/* Invalid store handle (see (1)); also a null buffer for UtilAttribute_Pack. */
#define TIZ_E_INVALID_HANDLE -16
/* Invalid argument: a null or empty group, a null item, text or out pointer,
 * a buffer length below the minimum; TIZ_Release of a store whose count is
 * already 0; TIZ_Clone within one tree; an image-tree bag without the parent
 * it needs. */
#define TIZ_E_INVALID_ARG -24
/* The caller's buffer is too small: the value was cut (string and buffer
 * getters) or nothing was written (text records). */
#define TIZ_E_TOO_SMALL -27
/* The two side shortcuts of a bag setting disagree. */
#define TIZ_E_SIDE_MISMATCH -31
/* The DPI mask holds no known resolution. */
#define TIZ_E_NO_DPI -57
/* A child link would make a store its own ancestor. */
#define TIZ_E_CYCLE -82
/* The record text holds no record at that index, or the record is not
 * "group item kind value" with a numeric kind (and value, for kind 0). */
#define TIZ_E_NO_RECORD -83
/* The image given is already the current bag's image. */
#define TIZ_E_SAME_IMAGE -92
/* An image-tree utility was given a null out pointer (or, for the side
 * tests, no valid store). */
#define TIZ_E_NULL_POINTER -108
/* A file could not be opened, read or written: the file of a "filebuffer"
 * settings line, or a tree file (TIZ_Serialize, TIZ_Deserialize). */
#define TIZ_E_OPEN_FILE -135
/* Kept for compatibility: a restore always finds the saved tree it brings
 * back, so no function returns it. */
#define TIZ_E_NO_SAVED_TREE -149
/* TIZ_IterateSetting: no further group. */
#define TIZ_E_END_OF_ITERATION -156
/* A tree-file section name lacks its owner, group or item part. */
#define TIZ_E_BAD_SECTION -180
/* A BUFFER value of the tree file is missing, has the wrong length or a
 * wrong checksum. */
#define TIZ_E_READ_BUFFER -181
/* A tree-file section has an empty "Type". */
#define TIZ_E_EMPTY_TYPE -182
/* Kept for compatibility; no function returns it. */
#define TIZ_E_RESET_REFCOUNTS -289
/* Internal (a store without settings); no function returns it. */
#define TIZ_E_EMPTY_STORE -303
/* The setting holds another type than the one asked for; there is no
 * conversion between types. */
#define TIZ_E_WRONG_TYPE -313
/* The operation is not provided (TIZ_UtilGenerateBatchAttributeName). */
#define TIZ_E_NOT_PROVIDED -32499

/* Value type codes, as TIZ_GetSettingType reports them. 0 is a setting
 * without a value (a tree-file section with an unknown "Type"). */
#define TIZ_TYPE_UNDEFINED 0
#define TIZ_TYPE_ATTRIBUTESTORE 1
#define TIZ_TYPE_DWORD 2
#define TIZ_TYPE_DOUBLE 3
#define TIZ_TYPE_STRING 4
#define TIZ_TYPE_BUFFER 5
#define TIZ_TYPE_IMAGE 6
#define TIZ_TYPE_USERDEFINED 7

/* Callbacks of a structure value (TIZ_SetSettingStructure).
 * TIZ_RELEASE_FN: called once with the data pointer when the library lets go
 *   of the structure (see the setter). May be null: then nothing is called.
 * TIZ_DISPLAY_FN: called by TIZ_DisplayAttribute with the data pointer, the
 *   caller's buffer and its length in bytes; it writes the text itself and
 *   its result is the display's result (0 fits, 3 cut, by convention).
 * Both run under the lock, see (8). */
typedef void(TIZ_API *TIZ_RELEASE_FN)(void *data);
typedef int32_t(TIZ_API *TIZ_DISPLAY_FN)(void *data, char *dest, int32_t len);

/* Library control. No lock, no handle.
 * TIZ_InitCriticalSection creates the global lock if it does not exist yet
 * (the first call that needs it creates it too); TIZ_DeleteCriticalSection
 * marks it deleted, and the next call creates it again. Call both only
 * while no other thread is inside the library.
 * TIZ_InitLogging: any non-zero value switches the "TEV: " trace lines on
 * (debugger output on Windows, standard error elsewhere), 0 switches them
 * off; it takes effect at the next trace point.
 * TIZ_SetScanningThreadID: accepted for the host; the library has no use
 * for the value.
 * Results: TIZ_OK. */
int32_t TIZ_API TIZ_InitCriticalSection(void);
int32_t TIZ_API TIZ_DeleteCriticalSection(void);
int32_t TIZ_API TIZ_InitLogging(uint32_t enabled);
int32_t TIZ_API TIZ_SetScanningThreadID(uint32_t threadId);

/* TIZ_Create: makes an empty store without parent, named "Root".
 *   phAttrStore  out, not null: receives the handle, with one reference the
 *                caller owns.
 * Results: TIZ_OK; TIZ_E_INVALID_ARG for a null phAttrStore (nothing is made). */
int32_t TIZ_API TIZ_Create(uint32_t *phAttrStore);

/* TIZ_AddRef: adds one reference, owned by the caller, to the store and to
 * each of its ancestors (the parent always counts at least as many
 * references as a child: it is raised in steps of 1000 when it does not).
 * Results: TIZ_OK; TIZ_E_INVALID_HANDLE. */
int32_t TIZ_API TIZ_AddRef(uint32_t hAttrStore);

/* TIZ_Release: gives back one reference of the store and of each of its
 * ancestors. A store without parent whose count reaches 0 is destroyed with
 * every store child-linked below it (their values released: images, and
 * structures through their release callbacks); its handle and theirs turn
 * invalid. A linked child is never destroyed by its own release: it goes
 * with its parent or with the setting that holds it. Stores held only
 * through plain links are not destroyed.
 * Results: TIZ_OK; TIZ_E_INVALID_ARG when the count is already 0 (a linked
 * child released once too often; nothing changes); TIZ_E_INVALID_HANDLE. */
int32_t TIZ_API TIZ_Release(uint32_t hAttrStore);

/* TIZ_GetParent: the store this one is child-linked to.
 *   phParent  out, not null: receives the parent's handle, or 0 for a store
 *             without parent. No reference is added: TIZ_AddRef it to keep
 *             it beyond the child's life.
 * Results: TIZ_OK; TIZ_E_INVALID_ARG for a null phParent (checked before
 * the handle); TIZ_E_INVALID_HANDLE (phParent untouched). */
int32_t TIZ_API TIZ_GetParent(uint32_t hAttrStore, uint32_t *phParent);

/* TIZ_Clone: copies every setting of hSource into hDestination, and the tree
 * below it: each nested store is copied into a new store, child links are
 * rebuilt between the copies (a child copy's parent is the copy of its
 * parent, or the destination), and a later plain link to a store copied
 * earlier as a child is linked to that copy. Numbers, texts and buffers are copied; images
 * and structures are shared, and released once, by the last setting that
 * lets go of them. A setting the destination already has keeps its value.
 * Settings whose names hold 0x7F are passed over. Copies are serializable,
 * structures included, and keep their confidence (100 for a redirected
 * plain link).
 * The destination keeps its name and parent, but its reference count
 * becomes the source's, and each nested copy gets the count of its source:
 * clone while nothing but the tree itself holds references to the source,
 * or give back the extra references on the copy.
 * Results: TIZ_OK; TIZ_E_INVALID_HANDLE when either handle is invalid
 * (nothing is copied); TIZ_E_INVALID_ARG when one store is reachable from
 * the other through nested-store settings (a store into itself or its own
 * tree). */
int32_t TIZ_API TIZ_Clone(uint32_t hSource, uint32_t hDestination);

/* Setters. Each writes one setting in the store given (never in an
 * ancestor): a missing setting is created at the end of the store's key
 * order, an existing one is overwritten in place whatever type it held (the
 * old value is released as TIZ_DeleteSetting would, except that a nested
 * store is left alone). The plain forms set the confidence to 100, the
 * Confidence forms to `conf` (any value; it is not checked).
 *   group, item  in, see (4).
 * Results of the setters in this block: TIZ_OK; TIZ_E_INVALID_ARG (null or
 * empty group, null item, or a null value pointer named below; nothing is
 * written); TIZ_E_INVALID_HANDLE.
 *
 * Dword, Double: the value is stored as given.
 * String: `text` in, not null; a copy is stored (it may be the setting's own
 *   text from TIZ_GetCharPointer).
 * Buffer: `data` in, `len` bytes copied; `data` may be null only when `len`
 *   is 0, which stores an empty buffer.
 * Image: the setting owns the image handle from then on. It releases it
 *   through the image library when the setting is deleted, its store is
 *   destroyed, or another value or another non-zero image replaces it.
 *   Setting the handle already stored changes nothing; setting 0 lets go of
 *   the stored image without releasing it. An image read back from a tree
 *   file is only a number and is never released. TIZ_SetSettingImage writes a
 *   trace line (before the handle check) while logging is on. */
int32_t TIZ_API TIZ_SetSettingDword(uint32_t hAttrStore, const char *group, const char *item,
                                    uint32_t value);
int32_t TIZ_API TIZ_SetSettingConfidenceDword(uint32_t hAttrStore, const char *group,
                                              const char *item, int32_t conf, uint32_t value);
int32_t TIZ_API TIZ_SetSettingDouble(uint32_t hAttrStore, const char *group, const char *item,
                                     double value);
int32_t TIZ_API TIZ_SetSettingConfidenceDouble(uint32_t hAttrStore, const char *group,
                                               const char *item, int32_t conf, double value);
int32_t TIZ_API TIZ_SetSettingString(uint32_t hAttrStore, const char *group, const char *item,
                                     const char *text);
int32_t TIZ_API TIZ_SetSettingConfidenceString(uint32_t hAttrStore, const char *group,
                                               const char *item, int32_t conf, const char *text);
int32_t TIZ_API TIZ_SetSettingBuffer(uint32_t hAttrStore, const char *group, const char *item,
                                     const void *data, uint32_t len);
int32_t TIZ_API TIZ_SetSettingConfidenceBuffer(uint32_t hAttrStore, const char *group,
                                               const char *item, int32_t conf, const void *data,
                                               uint32_t len);
int32_t TIZ_API TIZ_SetSettingImage(uint32_t hAttrStore, const char *group, const char *item,
                                    uint32_t hImage);
int32_t TIZ_API TIZ_SetSettingConfidenceImage(uint32_t hAttrStore, const char *group,
                                              const char *item, int32_t conf, uint32_t hImage);
/* Structure: stores the caller's `data` pointer (never looked into) with
 * its callbacks; the Confidence form has no display callback. From a
 * successful set on, the setting owns the data: `release` (if not null) is
 * called once with `data` when the value is replaced, the setting deleted or
 * its store destroyed (a structure shared with a clone: when its last
 * holder goes). When the set fails (-24, -16), nothing is called and the
 * data stays the caller's. Replacing a structure with the same data pointer
 * still releases it through the old value's callback. Structures are not
 * saved in tree files.
 * Results: TIZ_OK; TIZ_E_INVALID_ARG (null or empty group, null item);
 * TIZ_E_INVALID_HANDLE. */
int32_t TIZ_API TIZ_SetSettingStructure(uint32_t hAttrStore, const char *group, const char *item,
                                        void *data, TIZ_RELEASE_FN release, TIZ_DISPLAY_FN display);
int32_t TIZ_API TIZ_SetSettingConfidenceStructure(uint32_t hAttrStore, const char *group,
                                                  const char *item, int32_t conf, void *data,
                                                  TIZ_RELEASE_FN release);
/* AttrStore (plain link): the setting names the store hNested; both handles
 * are checked (TIZ_E_INVALID_HANDLE when either fails). hNested is renamed
 * after the setting (the holder's name, 0x7F, group, 0x7F, item: the name
 * its settings are saved under in tree files). No reference is added and no
 * parent is set: reads in hNested do not fall back to this store, and the
 * caller keeps hNested alive. If it is destroyed, the setting reads as the
 * handle 0.
 * Deleting either kind of nested-store setting destroys the store it holds
 * (see TIZ_DeleteSetting); overwriting it with another value does not.
 * Results: TIZ_OK; TIZ_E_INVALID_ARG (null or empty group, null item);
 * TIZ_E_INVALID_HANDLE. */
int32_t TIZ_API TIZ_SetSettingAttrStore(uint32_t hAttrStore, const char *group, const char *item,
                                        uint32_t hNested);
int32_t TIZ_API TIZ_SetSettingConfidenceAttrStore(uint32_t hAttrStore, const char *group,
                                                  const char *item, int32_t conf, uint32_t hNested);
/* AttrStoreChild (child link): as the plain link, and then hNested becomes a
 * child of this store: its parent is set to this store, which with its
 * ancestors receives hNested's current reference count (so the parent lives
 * while any reference to the child does), reads in hNested that miss fall
 * back to this store, and hNested is destroyed with this store. The caller
 * still owns its own reference to hNested and gives it back as usual, before
 * or after releasing the parent. Link a store as a child of one parent only.
 * Results: TIZ_OK; TIZ_E_CYCLE when hNested is this store or one of its
 * ancestors (the setting is then written all the same, but no parent is
 * set); TIZ_E_INVALID_ARG (null or empty group, null item);
 * TIZ_E_INVALID_HANDLE. */
int32_t TIZ_API TIZ_SetSettingAttrStoreChild(uint32_t hAttrStore, const char *group,
                                             const char *item, uint32_t hNested);
int32_t TIZ_API TIZ_SetSettingConfidenceAttrStoreChild(uint32_t hAttrStore, const char *group,
                                                       const char *item, int32_t conf,
                                                       uint32_t hNested);
/* TIZ_SetConfidence: changes the confidence of a setting of the store given
 * (any type), leaving its value.
 * Results: TIZ_OK; TIZ_NOT_FOUND when this store lacks it (an ancestor's
 * setting is not changed); TIZ_E_INVALID_ARG (null or empty group, null
 * item); TIZ_E_INVALID_HANDLE. */
int32_t TIZ_API TIZ_SetConfidence(uint32_t hAttrStore, const char *group, const char *item,
                                  int32_t conf);

/* Getters. Each looks the setting up in the store given, then in its parent,
 * the parent's parent and so on (child links only), and reads the first one
 * found. Every out pointer must be non-null (TIZ_E_INVALID_ARG otherwise,
 * checked after the handle and before the lookup). The value and `*pConf`
 * are written on 0 and 1 only, except where said below.
 *
 * Dword; Byte: the low 8 bits of a DWORD setting; Double; Image: the handle
 *   is only read: the setting keeps owning the image.
 * Results of the getters in this block: TIZ_OK (found in this store);
 * TIZ_FOUND_IN_ANCESTOR; TIZ_NOT_FOUND (found nowhere); TIZ_E_WRONG_TYPE
 * when the setting found holds another type (a setting of the right type
 * further up is not looked for); TIZ_E_INVALID_ARG (null or empty group,
 * null item or out pointer); TIZ_E_INVALID_HANDLE. */
int32_t TIZ_API TIZ_GetSettingDword(uint32_t hAttrStore, const char *group, const char *item,
                                    uint32_t *pValue);
int32_t TIZ_API TIZ_GetSettingConfidenceDword(uint32_t hAttrStore, const char *group,
                                              const char *item, int32_t *pConf, uint32_t *pValue);
int32_t TIZ_API TIZ_GetSettingByte(uint32_t hAttrStore, const char *group, const char *item,
                                   uint8_t *pValue);
int32_t TIZ_API TIZ_GetSettingConfidenceByte(uint32_t hAttrStore, const char *group,
                                             const char *item, int32_t *pConf, uint8_t *pValue);
int32_t TIZ_API TIZ_GetSettingDouble(uint32_t hAttrStore, const char *group, const char *item,
                                     double *pValue);
int32_t TIZ_API TIZ_GetSettingConfidenceDouble(uint32_t hAttrStore, const char *group,
                                               const char *item, int32_t *pConf, double *pValue);
int32_t TIZ_API TIZ_GetSettingImage(uint32_t hAttrStore, const char *group, const char *item,
                                    uint32_t *phImage);
int32_t TIZ_API TIZ_GetSettingConfidenceImage(uint32_t hAttrStore, const char *group,
                                              const char *item, int32_t *pConf, uint32_t *phImage);
/* String: copies the text into `dest` (not null) of `len` bytes (at least 1,
 *   else TIZ_E_INVALID_ARG), filling the rest of the `len` bytes with NULs.
 *   When the text and its NUL do not fit, the first len-1 bytes are copied,
 *   dest[len-1] is NUL, `*pConf` is written and the result is
 *   TIZ_E_TOO_SMALL; the size needed (text length + 1) is what
 *   TIZ_GetSettingSize reports. A setting without a value (size 0, such as
 *   an empty BUFFER) answers TIZ_OK or TIZ_FOUND_IN_ANCESTOR before its type
 *   is checked and writes nothing, neither text nor `*pConf`: clear `dest`
 *   first.
 *   Results: TIZ_OK; TIZ_FOUND_IN_ANCESTOR; TIZ_NOT_FOUND; TIZ_E_TOO_SMALL
 *   (cut, as said); TIZ_E_WRONG_TYPE; TIZ_E_INVALID_ARG (null or empty group,
 *   null item, `dest` or `pConf`, `len` below 1); TIZ_E_INVALID_HANDLE. */
int32_t TIZ_API TIZ_GetSettingString(uint32_t hAttrStore, const char *group, const char *item,
                                     char *dest, int32_t len);
int32_t TIZ_API TIZ_GetSettingConfidenceString(uint32_t hAttrStore, const char *group,
                                               const char *item, int32_t *pConf, char *dest,
                                               int32_t len);
/* Buffer: `*pLen` in: the room at `dest` in bytes (0 or more, else
 *   TIZ_E_INVALID_ARG); out on 0: the number of bytes copied, which is the
 *   buffer's size. When the room is smaller, that many bytes are copied,
 *   `*pLen` is left unchanged, `*pConf` is written and the result is
 *   TIZ_E_TOO_SMALL; the size needed is what TIZ_GetSettingSize reports.
 *   An empty buffer (size 0) answers TIZ_OK or TIZ_FOUND_IN_ANCESTOR and
 *   writes nothing, `*pLen` and `*pConf` included. `dest` must not be null
 *   even then.
 *   Results: TIZ_OK; TIZ_FOUND_IN_ANCESTOR; TIZ_NOT_FOUND; TIZ_E_TOO_SMALL
 *   (cut, as said); TIZ_E_WRONG_TYPE; TIZ_E_INVALID_ARG (null or empty group,
 *   null item, `dest`, `pLen` or `pConf`, a negative `*pLen`);
 *   TIZ_E_INVALID_HANDLE. */
int32_t TIZ_API TIZ_GetSettingBuffer(uint32_t hAttrStore, const char *group, const char *item,
                                     void *dest, int32_t *pLen);
int32_t TIZ_API TIZ_GetSettingConfidenceBuffer(uint32_t hAttrStore, const char *group,
                                               const char *item, int32_t *pConf, void *dest,
                                               int32_t *pLen);
/* Structure: `*pData` receives the data pointer given to the setter (null
 *   for a structure read back from a tree file). The setting keeps owning
 *   the data: use it only while the setting holds it.
 *   Results: TIZ_OK; TIZ_FOUND_IN_ANCESTOR; TIZ_NOT_FOUND; TIZ_E_WRONG_TYPE;
 *   TIZ_E_INVALID_ARG; TIZ_E_INVALID_HANDLE. */
int32_t TIZ_API TIZ_GetSettingStructure(uint32_t hAttrStore, const char *group, const char *item,
                                        void **pData);
int32_t TIZ_API TIZ_GetSettingConfidenceStructure(uint32_t hAttrStore, const char *group,
                                                  const char *item, int32_t *pConf, void **pData);
/* AttrStore: `*phNested` receives the nested store's handle with one
 *   reference added for the caller, who gives it back with TIZ_Release
 *   (the handle is 0, and nothing is added, when the store it named has been
 *   destroyed). Unlike every other getter these return 0 also when the
 *   setting was found in an ancestor: they never return 1.
 *   TIZ_GetSettingAttrStore writes `*phNested` only on 0.
 *   TIZ_GetSettingConfidenceAttrStore writes 0 to `*phNested` on every other
 *   result except TIZ_E_INVALID_HANDLE and a null out pointer.
 *   Results: TIZ_OK (found here or in an ancestor); TIZ_NOT_FOUND;
 *   TIZ_E_WRONG_TYPE; TIZ_E_INVALID_ARG; TIZ_E_INVALID_HANDLE. */
int32_t TIZ_API TIZ_GetSettingAttrStore(uint32_t hAttrStore, const char *group, const char *item,
                                        uint32_t *phNested);
int32_t TIZ_API TIZ_GetSettingConfidenceAttrStore(uint32_t hAttrStore, const char *group,
                                                  const char *item, int32_t *pConf,
                                                  uint32_t *phNested);
/* Size, Type, Confidence: any type; no TIZ_E_WRONG_TYPE. Size is the
 * value's size in bytes: 4 for DWORD, IMAGE, structures and nested stores
 * (0 for an IMAGE setting that was only ever given the handle 0),
 * 8 for DOUBLE, text length + 1 for STRING, the byte count for BUFFER.
 * Type is a TIZ_TYPE_* code.
 * Results: TIZ_OK; TIZ_FOUND_IN_ANCESTOR; TIZ_NOT_FOUND; TIZ_E_INVALID_ARG
 * (null or empty group, null item or out pointer); TIZ_E_INVALID_HANDLE. */
int32_t TIZ_API TIZ_GetSettingSize(uint32_t hAttrStore, const char *group, const char *item,
                                   uint32_t *pSize);
int32_t TIZ_API TIZ_GetSettingType(uint32_t hAttrStore, const char *group, const char *item,
                                   int32_t *pType);
int32_t TIZ_API TIZ_GetConfidence(uint32_t hAttrStore, const char *group, const char *item,
                                  int32_t *pConf);

/* Pointer getters: return the stored text (Char, STRING settings) or bytes
 * (Void, BUFFER settings) in place, not a copy, looked up like the getters.
 * The store keeps owning them: the pointer stays valid until the setting's
 * value is changed or the setting deleted or its store destroyed, and only
 * while no other thread does so (7). Do not write through it.
 *   pSize    out, not null: the value's size (STRING: text length + 1).
 *   pConf    out, not null (Confidence forms): the confidence.
 *   pStatus  out, may be null: the result, as for the getters: 0 or 1 with
 *            the pointer, any other with a null pointer. `*pSize` and
 *            `*pConf` are written on 0 and 1 only. An empty buffer gives a
 *            null pointer, size 0, status 0 or 1.
 * Results (in `*pStatus`): TIZ_OK; TIZ_FOUND_IN_ANCESTOR; TIZ_NOT_FOUND;
 * TIZ_E_WRONG_TYPE; TIZ_E_INVALID_ARG (null or empty group, null item, pSize
 * or pConf); TIZ_E_INVALID_HANDLE. */
char *TIZ_API TIZ_GetCharPointer(uint32_t hAttrStore, const char *group, const char *item,
                                 uint32_t *pSize, int32_t *pStatus);
char *TIZ_API TIZ_GetConfidenceCharPointer(uint32_t hAttrStore, const char *group, const char *item,
                                           int32_t *pConf, uint32_t *pSize, int32_t *pStatus);
void *TIZ_API TIZ_GetVoidPointer(uint32_t hAttrStore, const char *group, const char *item,
                                 uint32_t *pSize, int32_t *pStatus);
void *TIZ_API TIZ_GetConfidenceVoidPointer(uint32_t hAttrStore, const char *group, const char *item,
                                           int32_t *pConf, uint32_t *pSize, int32_t *pStatus);

/* TIZ_DeleteSetting: deletes a setting of the store given (never an
 * ancestor's) and releases its value: a STRING or BUFFER is freed, an image
 * released, a structure's release callback called. A nested-store setting
 * destroys the store it holds, whether child-linked or plainly linked, with
 * every store child-linked below it; their handles turn invalid, and the
 * references the destroyed store had given its parent chain are given back.
 * Results: TIZ_OK (also for any name when the store has no settings at
 * all); TIZ_NOT_FOUND when this store lacks the setting; TIZ_E_INVALID_ARG
 * (null or empty group, null item); TIZ_E_INVALID_HANDLE. */
int32_t TIZ_API TIZ_DeleteSetting(uint32_t hAttrStore, const char *group, const char *item);

/* Iterating the groups of one store (not its ancestors), each once:
 *   char group[64] = "";
 *   TIZ_StartIteratorSorted(h);
 *   while (TIZ_IterateSetting(h, group, sizeof group) == TIZ_OK) use(group);
 * TIZ_StartIteratorSorted sorts the store's keys (bytes compared unsigned,
 * so "abc" comes before "ab": the separator 0x7F sorts above letters) and
 * puts the store's one cursor at the start.
 * Results: TIZ_OK; TIZ_NOT_FOUND, which is also the answer to an invalid
 * handle. */
int32_t TIZ_API TIZ_StartIteratorSorted(uint32_t hAttrStore);
/* TIZ_IterateSetting: `buffer` is in/out, not null (TIZ_E_INVALID_ARG, even
 * before the handle check). In: the previous group, read up to a NUL or
 * `len` bytes; out: the next group whose name differs from it, ignoring the
 * case of ASCII letters, copied as a bounded copy of `len` bytes: a shorter
 * name is followed by NULs, a name of `len` bytes or more fills the buffer
 * with no NUL (and, cut, it no longer matches its group next time: use a
 * buffer longer than any group name). Settings added during an iteration
 * come after the cursor; a deleted setting under the cursor moves it on.
 * Results: TIZ_OK with a group; TIZ_E_END_OF_ITERATION with an empty buffer
 * when no group is left (also before any TIZ_StartIteratorSorted);
 * TIZ_E_INVALID_ARG; TIZ_E_INVALID_HANDLE. */
int32_t TIZ_API TIZ_IterateSetting(uint32_t hAttrStore, char *buffer, uint32_t len);

/* Tree files (docs/tree-file.md). `fileName` in (null counts as empty):
 * only its last component is used, and the file lives in the tree-file
 * directory (TIZ_PERSIST_DIR, docs/environment.md); a directory in the name
 * is ignored.
 * TIZ_Serialize writes the store's settings and, depth first, those of every
 * nested store (plain and child links) into the file, one section each, a
 * nested store's under the section of the setting through which the save
 * reaches it. A store held at several places (or a link back up the tree)
 * is written once, at the first place; every later place names that one, and
 * a child link says so (docs/tree-file.md). The file is replaced in one step
 * (a new file renamed over it), so a reader never sees half a save and never
 * waits for more than the save in progress. Sections already in the file
 * that this save does not write stay. The new file keeps the old one's
 * permissions, and on POSIX its owner and group; a save that could not keep
 * them, into a file the caller could not open for writing (read-only; on
 * POSIX also a file with no write permission bit, even for root), or through
 * a symbolic link that leads nowhere returns TIZ_E_OPEN_FILE and changes
 * nothing. A link is written through: the file it leads to is replaced, in
 * its own directory. TIZ_E_OPEN_FILE once the new file is in place means
 * that flushing its directory to the disk failed: the new contents are there
 * but may not survive a power loss. Confidences, reference counts and
 * structures are not saved. A setting whose group or item holds a line
 * break or the byte 0x7F (which no section name can hold), or that differs
 * from an earlier setting of its store only in letter case (the two would
 * share a section), is skipped with the stores it holds; every other setting
 * is written, and the result is then TIZ_E_INVALID_ARG.
 * Results: TIZ_OK; -2, -4 or -5 from the configuration library (no file
 * name left, no directory, a path too long); TIZ_E_OPEN_FILE as said;
 * TIZ_E_INVALID_ARG as said; TIZ_E_INVALID_HANDLE. */
int32_t TIZ_API TIZ_Serialize(uint32_t hAttrStore, const char *fileName);
/* TIZ_Deserialize adds the file's settings to the store (`fileName` as for
 * TIZ_Serialize): a setting the store already has keeps its value. Nested
 * stores come back as new stores, one store at every place that held the
 * same store, a child link as a child
 * link (a miss in it falls back to its holder). No caller holds a reference
 * to them: each goes with its parent, or, linked plainly, with the store
 * holding it at its first place, so the caller's release of the loading
 * store frees everything the load made below it; other places that link a
 * freed store then read as holding none. A reference the caller takes to a
 * loaded store (a getter's, TIZ_AddRef) is the caller's to give back, before
 * the loading store is released. A missing file loads nothing and answers
 * TIZ_OK. A section that fails is skipped and the others load; the result
 * is then the code of the last one that failed.
 * Results: TIZ_OK; TIZ_E_BAD_SECTION (a section name without its owner,
 * group or item part, which a section of another program's also gives
 * without keeping any nested store from loading); TIZ_E_READ_BUFFER (a
 * BUFFER value missing, of the wrong length or with a wrong checksum);
 * TIZ_E_EMPTY_TYPE; TIZ_E_INVALID_ARG (a Size, or the Value of a DWORD,
 * IMAGE or structure, that is no 32-bit decimal number); TIZ_E_TOO_SMALL (a
 * STRING text longer than its Size allows, a Type or DOUBLE text longer
 * than the library reads); -2, -4 or -5 from the configuration library;
 * TIZ_E_OPEN_FILE with nothing loaded for a file that cannot be read to its
 * end (an unreadable file, an I/O error on a read or the close);
 * TIZ_E_INVALID_HANDLE. */
int32_t TIZ_API TIZ_Deserialize(uint32_t hAttrStore, const char *fileName);

/* TIZ_LoadSettings applies a settings file (docs/settings-file.md) to the
 * store, line by line, through the setters (confidence 100). `fileName` in
 * (null counts as empty): a name holding ":" or starting with "/" (outside
 * Windows) is used as it is; any other name is taken in the settings
 * directory (TIZ_SETTINGS_DIR). An empty name, or a file that does not exist
 * or cannot be opened, loads nothing and answers TIZ_OK; a file that opened
 * but could not be read to its end (an I/O error on a read or the close)
 * loads nothing and answers TIZ_E_OPEN_FILE. The first line that fails
 * stops the load; lines before it stay applied.
 * Results: TIZ_OK; the failing line's result: TIZ_E_INVALID_ARG (a line
 * without a value field, a bad "filebuffer" count, an empty group),
 * TIZ_E_OPEN_FILE (a "filebuffer" file that cannot be opened or read), or
 * TIZ_E_INVALID_HANDLE (the store released by a structure's release
 * callback that a line's setter ran); TIZ_E_NO_MEMORY_LINE when the file
 * cannot be held in memory; -4 or -5 from the configuration library (no
 * settings directory, a directory too long); TIZ_E_INVALID_HANDLE. */
int32_t TIZ_API TIZ_LoadSettings(uint32_t hAttrStore, const char *fileName);

/* TIZ_DisplayAttribute: a one-line text of a setting, found as the getters
 * find it: "DWORD:\t%d" (signed), "Double:\t%f", "String:\t%s",
 * "Buffer:\t%d bytes", "Image", "AttributeStore:\t<store name>" (a name
 * with 0x7F separators), a structure's own display (its callback, or
 * "Unknown user defined type" without one), "Unknown attribute type".
 *   group  in, not null or empty; item in, may be null (means "Value").
 *   dest   out, not null, `len` bytes (0 or more): a bounded copy, NULs after
 *          a shorter text; a text of `len` bytes or more fills it without NUL.
 * Unlike the other functions, an invalid handle answers TIZ_OK with `dest`
 * untouched, and a failure inside answers TIZ_E_NO_MEMORY_LINE without a
 * report.
 * Results: TIZ_OK (fits, found here; an invalid handle); TIZ_FOUND_IN_ANCESTOR
 * (fits); TIZ_TRUNCATED_DISPLAY (cut, wherever found); TIZ_NOT_FOUND (found
 * nowhere, `dest` untouched); TIZ_E_INVALID_ARG (null or empty group, null
 * `dest`, negative `len`); TIZ_E_NO_MEMORY_LINE (a failure inside, such as
 * a display callback that throws); for a structure with a display
 * callback, the display callback's result (TIZ_FOUND_IN_ANCESTOR in place
 * of its TIZ_OK when found in an ancestor). */
int32_t TIZ_API TIZ_DisplayAttribute(uint32_t hAttrStore, const char *group, const char *item,
                                     char *dest, int32_t len);

/* Text records (docs/records.md): lines "group item kind value\n", kind 0
 * for a DWORD (written as a signed decimal), 1 for a text. No store, no lock,
 * no state: any thread may call them on buffers of its own. Names must hold
 * no blank or line feed, texts no line feed.
 * UtilAttribute_Count: the number of line feeds in `text` (the complete
 * records).
 * Results: the number of records (0 or more); TIZ_E_INVALID_ARG for a null
 * text. */
int32_t TIZ_API UtilAttribute_Count(const char *text);
/* UtilAttribute_Pack appends one record to the NUL-terminated text in
 * `buffer` of `size` bytes (start with an empty text). `isDword` non-zero:
 * `value` points to a uint32_t; zero: to a NUL-terminated text.
 * Results: TIZ_OK; TIZ_E_TOO_SMALL when the record and its NUL do not fit
 * (or the text in `buffer` has no NUL within `size`): the buffer is
 * unchanged; TIZ_E_INVALID_HANDLE for a null buffer; TIZ_E_INVALID_ARG for a
 * null group, item or value. */
int32_t TIZ_API UtilAttribute_Pack(char *buffer, uint32_t size, const char *group, const char *item,
                                   uint32_t isDword, const void *value);
/* UtilAttribute_UnpackOneAttribute reads record `index` (from 0) of `text`.
 * `group`, `item` and `str` are out buffers of `fieldLen` bytes each; every
 * field of the record with its NUL must fit, else TIZ_E_TOO_SMALL and
 * nothing is written. On 0: group, item and `*pKind` are written, and for
 * kind 0 `*pDword` (`str` untouched), for any other kind `str` (the value
 * from its first non-blank byte, inner blanks kept; `*pDword` untouched).
 * Results: TIZ_OK; TIZ_E_TOO_SMALL as said; TIZ_E_NO_RECORD: no such
 * record (a last line without its line feed is no record), or a kind (or a
 * kind-0 value) that is no number; TIZ_E_INVALID_ARG for a null pointer. */
int32_t TIZ_API UtilAttribute_UnpackOneAttribute(const char *text, int32_t index, uint32_t fieldLen,
                                                 char *group, char *item, uint32_t *pKind,
                                                 uint32_t *pDword, char *str);

/* Image-tree utilities: the scanning pipeline's page tree below a global
 * bag, a store the caller makes and owns. The layout they keep:
 *   global bag    ("ui.bag", "Attribute.Value"): the UI bag, a store the
 *                 caller makes and links (child-linked, reads in the page's
 *                 bags fall back to the global bag); ("scan_duplex",
 *                 "Attribute.Value"): a DWORD, non-zero for duplex (absent:
 *                 simplex); optional "defaults.bag" and "trap.bag" (same
 *                 item), each child-linked below some store; and the
 *                 shortcut settings "Current.ImageStore" and
 *                 "Current.Persistent_ImageStore", plain links with the
 *                 items "Attribute.Value" (the side being processed),
 *                 "Attribute.Front_Side" and "Attribute.Back_Side".
 *   UI bag        holds each side's persistent bag as a child under
 *                 ("Current.Persistent_ImageStore", the side's item;
 *                 "Attribute.Value" in simplex).
 *   persistent    holds the side's first current bag as a child under
 *   bag           ("Current.ImageStore", "Attribute.Value"); the back side's
 *                 also holds ("Persistent_Back", "Attribute.Value") = 1.
 *   current bag   holds the next bag of its side's chain as a child under
 *                 ("Current.ImageStore", "Attribute.Value").
 * Bags the utilities make belong to the tree: they go with their chain,
 * the next page's tree or the tree's destruction, and their handles then
 * turn invalid. `bCurrentSide` 1 names the side being processed and 0 the
 * other one (in simplex both name the one side). The front side is being
 * processed while "Attribute.Value" and "Attribute.Front_Side" of
 * "Current.ImageStore" name the same bag (or both are absent).
 * Unlike the other functions these refuse a null out pointer with
 * TIZ_E_NULL_POINTER, before the handle check, and write out parameters on
 * TIZ_OK only. TIZ_NOT_FOUND says a setting of the layout is absent,
 * TIZ_E_WRONG_TYPE that it holds another type, and TIZ_E_INVALID_HANDLE
 * also that a bag it names has been destroyed. A failure part-way leaves
 * what was done before it. */

/* TIZ_UtilGetCurrentBag: reads the side's current bag from the global bag's
 * "Current.ImageStore" shortcut (the side's item; "Attribute.Value" in
 * simplex); changes nothing.
 *   phCurrentBag  out, not null: on TIZ_OK the bag's handle with one
 *                 reference added for the caller, who gives it back with
 *                 TIZ_Release (a shortcut to a bag destroyed since gives
 *                 that bag's invalid handle, with no reference).
 * Results: TIZ_OK; TIZ_NOT_FOUND (no shortcut for the side: the tree was not
 * built); TIZ_E_SIDE_MISMATCH (in duplex, only one of "Attribute.Value" and
 * "Attribute.Front_Side" is present); TIZ_E_WRONG_TYPE ("scan_duplex" or the
 * shortcut); TIZ_E_NULL_POINTER; TIZ_E_INVALID_HANDLE. */
int32_t TIZ_API TIZ_UtilGetCurrentBag(uint32_t hGlobalBag, uint32_t bCurrentSide,
                                      uint32_t *phCurrentBag);
/* TIZ_UtilGetPersistentBag: the same for the side's persistent bag, from
 * the "Current.Persistent_ImageStore" shortcut; changes nothing.
 *   phPersistentBag  out, not null: on TIZ_OK the bag's handle with one
 *                    reference added for the caller (TIZ_Release it).
 * Results: TIZ_OK; TIZ_NOT_FOUND (no shortcut for the side);
 * TIZ_E_SIDE_MISMATCH; TIZ_E_WRONG_TYPE; TIZ_E_NULL_POINTER;
 * TIZ_E_INVALID_HANDLE. */
int32_t TIZ_API TIZ_UtilGetPersistentBag(uint32_t hGlobalBag, uint32_t bCurrentSide,
                                         uint32_t *phPersistentBag);
/* TIZ_UtilAppendNewCurrentBag: makes a new, empty bag, links it as a child of
 * the side's current bag under ("Current.ImageStore", "Attribute.Value"),
 * and points the side's "Current.ImageStore" shortcut at it: all three
 * items while both sides share one bag (simplex, or before the sides split),
 * else the side's item and, for `bCurrentSide` non-zero, "Attribute.Value".
 *   phCurrentBag  out, not null: on TIZ_OK the new bag's handle; the caller
 *                 owns its creation reference and gives it back with
 *                 TIZ_Release (the bag itself goes with its chain). On a
 *                 failure no bag is handed out and none is left unlinked.
 * Results: TIZ_OK; TIZ_NOT_FOUND (no current bag for the side: nothing is
 * made); TIZ_E_SIDE_MISMATCH; TIZ_E_WRONG_TYPE; TIZ_E_NULL_POINTER;
 * TIZ_E_INVALID_HANDLE (also for a current bag destroyed since). */
int32_t TIZ_API TIZ_UtilAppendNewCurrentBag(uint32_t hGlobalBag, uint32_t bCurrentSide,
                                            uint32_t *phCurrentBag);
/* TIZ_UtilIsCurrentFront: whether the front side is the one being
 * processed. Reads "Attribute.Value" and "Attribute.Front_Side" of the
 * global bag's "Current.ImageStore" (a value of another type counts as
 * absent); changes nothing.
 *   pbIsFront  out, not null: on TIZ_OK 1 when both name the same bag or
 *              both are absent (a global bag without a tree), else 0.
 * Results: TIZ_OK; TIZ_E_SIDE_MISMATCH (only one of the two is present);
 * TIZ_E_NULL_POINTER; TIZ_E_INVALID_HANDLE. */
int32_t TIZ_API TIZ_UtilIsCurrentFront(uint32_t hGlobalBag, uint32_t *pbIsFront);
/* TIZ_UtilIsABackSideBag: whether a bag belongs to the back side's chain.
 * Reads ("Persistent_Back", "Attribute.Value") as a DWORD in `hBag` (any
 * store) and, on a miss, in its ancestors: every bag of the back chain
 * inherits its persistent bag's marker. Changes nothing.
 *   pbIsBackSide  out, not null: on TIZ_OK the marker, 0 when absent.
 * Results: TIZ_OK; TIZ_E_WRONG_TYPE (a marker that is no DWORD);
 * TIZ_E_NULL_POINTER; TIZ_E_INVALID_HANDLE. */
int32_t TIZ_API TIZ_UtilIsABackSideBag(uint32_t hBag, uint32_t *pbIsBackSide);
/* TIZ_UtilSetSide: makes the front (`bFront` non-zero) or the back side the
 * one being processed. In duplex it points "Attribute.Value" of the global
 * bag's "Current.ImageStore" at that side's current bag and then that of
 * "Current.Persistent_ImageStore" at its persistent bag; in simplex, or
 * when the side is already being processed, nothing changes. No reference
 * moves.
 * Results: TIZ_OK; TIZ_NOT_FOUND (the side has no current or no persistent
 * bag: nothing changes); TIZ_E_WRONG_TYPE; TIZ_E_INVALID_HANDLE (also for a
 * bag of the side destroyed since). */
int32_t TIZ_API TIZ_UtilSetSide(uint32_t hGlobalBag, uint32_t bFront);
/* TIZ_UtilGenerateBatchAttributeName: not provided by this library (the
 * pipeline makes its batch names elsewhere); reads and changes nothing and
 * takes no lock, whatever it is given.
 * Results: TIZ_E_NOT_PROVIDED. */
int32_t TIZ_API TIZ_UtilGenerateBatchAttributeName(uint32_t a, uint32_t b, uint32_t c);
/* TIZ_UtilReInitImageTree: builds a fresh tree for a new page. Reads
 * "ui.bag" and "scan_duplex" of the global bag; makes a persistent bag and
 * a first current bag for the front side and, in duplex, for the back side
 * (whose persistent bag gets the "Persistent_Back" marker); points both
 * shortcut settings at them with the front side being processed; destroys
 * the previous page's persistent bags, named by the old shortcuts, with
 * their chains and saved trees (their handles, and those of every bag below
 * them, turn invalid); then links the new persistent bags below the UI bag
 * and the first current bags below them. The new bags belong to the tree:
 * the caller receives no reference (TIZ_UtilGetCurrentBag hands one out).
 * Results: TIZ_OK; TIZ_NOT_FOUND (no "ui.bag": nothing changes; or, in
 * duplex, old shortcuts without the front side's bags); TIZ_E_WRONG_TYPE
 * ("ui.bag", "scan_duplex" or an old shortcut of another type);
 * TIZ_E_INVALID_ARG (an old persistent bag without parent, which cannot be
 * taken out of a tree); TIZ_E_INVALID_HANDLE (also for a destroyed UI
 * bag). */
int32_t TIZ_API TIZ_UtilReInitImageTree(uint32_t hGlobalBag);
/* TIZ_UtilDestroyImageTree: ends a job. Destroys the front and back
 * persistent bags with their chains and saved trees, the "defaults.bag" and
 * "trap.bag" bags with every store linked below them, and then the global
 * bag itself whatever references remain to it: all their handles turn
 * invalid, and references held on them are void. The UI bag and any other
 * store the global bag held stay: those child-linked to it become stores
 * without parent, and the caller gives back its own references to them as
 * usual.
 * Results: TIZ_OK; TIZ_E_WRONG_TYPE (one of those settings, or
 * "scan_duplex", of another type: nothing is destroyed); TIZ_E_INVALID_ARG
 * (a bag to destroy that has no parent: the bags before it are destroyed,
 * the global bag stays); TIZ_E_INVALID_HANDLE. */
int32_t TIZ_API TIZ_UtilDestroyImageTree(uint32_t hGlobalBag);
/* TIZ_UtilSaveCurrentImageTree: sets aside the part of a side's chain below
 * `hBag`. Walks up from the current bag of the side being processed (in
 * duplex, failing that, of the other side) to the bag whose parent is
 * `hBag`; makes a new, empty bag that side's current bag, child-linked below
 * `hBag` under ("Current.ImageStore", "Attribute.Value"); and keeps the
 * chain from the bag found down as `hBag`'s saved tree, a child under
 * ("Current.Saved_ImageStore", "Attribute.Value"), or destroys it when
 * `hBag` keeps a saved tree already (the handles of its bags turn invalid).
 * The new bag belongs to the tree. When no chain passes through `hBag`,
 * nothing changes.
 * Results: TIZ_OK; TIZ_FOUND_IN_ANCESTOR or TIZ_NOT_FOUND, in simplex when no
 * chain passes through `hBag`: the answer of reading "scan_duplex" (found
 * only in an ancestor of the global bag, or absent); TIZ_NOT_FOUND (no
 * current bag); TIZ_E_SIDE_MISMATCH; TIZ_E_WRONG_TYPE; TIZ_E_INVALID_HANDLE
 * (either handle). */
int32_t TIZ_API TIZ_UtilSaveCurrentImageTree(uint32_t hGlobalBag, uint32_t hBag);
/* TIZ_UtilRestoreSavedImageTree: brings back the tree that `hBag`'s parent
 * saved. Destroys `hBag` with every bag below it (their handles turn
 * invalid), links the parent's saved tree in its place under
 * ("Current.ImageStore", "Attribute.Value"), and points the shortcut of the
 * side that was being processed at the last bag of the chain below the
 * parent: "Attribute.Value" and that side's item (all three items in
 * simplex). No reference moves to the caller.
 * Results: TIZ_OK; TIZ_FOUND_IN_ANCESTOR or TIZ_NOT_FOUND, in simplex after a
 * restore: the answer of reading "scan_duplex", as for the save;
 * TIZ_NOT_FOUND (no current bag: nothing changes; or no saved tree: `hBag`
 * is destroyed all the same); TIZ_E_INVALID_ARG (`hBag` has no parent:
 * nothing changes); TIZ_E_WRONG_TYPE; TIZ_E_INVALID_HANDLE (either
 * handle). */
int32_t TIZ_API TIZ_UtilRestoreSavedImageTree(uint32_t hGlobalBag, uint32_t hBag);
/* TIZ_UtilUpdateStoredImages: stores a new image of the side being
 * processed. Reads ("Image", "Attribute.Value") of the current bag (with
 * fall-back to earlier bags) and its cached flag ("Image",
 * "Attribute.Image_Cached"); when the old image is not cached and the image
 * library finds it equal to `hImage`, deletes both settings from the current
 * bag itself, releasing the old image. Then appends a new current bag as
 * TIZ_UtilAppendNewCurrentBag does and sets in it ("Image",
 * "Attribute.Value") to `hImage` and ("Image", "Attribute.Image_Cached") to
 * 1 for `bCached` non-zero, else 0. Once the new bag holds `hImage`, the
 * tree owns it; the bag belongs to the tree, and the references taken on
 * the way are given back. Each step is the library's own function, with its
 * own handle check and report.
 * Results: TIZ_OK; TIZ_E_SAME_IMAGE (`hImage` is the current image already:
 * nothing changes); the image library's error word (comparing the images
 * failed); TIZ_E_SIDE_MISMATCH; TIZ_E_WRONG_TYPE; TIZ_E_INVALID_HANDLE (also
 * when the tree has no current bag). */
int32_t TIZ_API TIZ_UtilUpdateStoredImages(uint32_t hGlobalBag, uint32_t hImage, uint32_t bCached);
/* TIZ_UtilDeleteATImage: deletes from `hBag` itself (not its ancestors) the
 * seven AdvancedThreshold images, each with its cached flag
 * ("Attribute.Image_Cached"), releasing the images; absent ones are passed
 * over. The groups are "AdvancedThreshold.Image_AdvancedThreshold_" followed
 * by "Input_FullPage", "Input_ReducedPage", "Bitonal_Output_FullPage_One",
 * "Bitonal_Output_FullPage_Two", "Bitonal_Output_FullPage_MaskPlus",
 * "Bitonal_Output_FirstSmall" and "Bitonal_Output_OtherSmall".
 * Results: TIZ_OK; TIZ_E_INVALID_HANDLE. */
int32_t TIZ_API TIZ_UtilDeleteATImage(uint32_t hBag);
/* TIZ_UtilDeleteYBitonalImage: deletes from the global bag the side image of
 * the side being processed, ("Image.For_Y_Bitonal_Front" or
 * "Image.For_Y_Bitonal_Back", "Attribute.Value"), with its cached flag
 * ("Attribute.Image_Cached"), releasing the image; absent ones are passed
 * over.
 * Results: TIZ_OK; TIZ_E_SIDE_MISMATCH (nothing is deleted);
 * TIZ_E_NULL_POINTER for an invalid handle (instead of
 * TIZ_E_INVALID_HANDLE); TIZ_E_INVALID_HANDLE when a structure's release
 * callback run by the first deletion destroyed the global bag. */
int32_t TIZ_API TIZ_UtilDeleteYBitonalImage(uint32_t hGlobalBag);
/* TIZ_UtilDeleteYPlaneImage: the same for the Y-plane images,
 * "Image_For_Y_Plane_Front" or "Image_For_Y_Plane_Back" (an underscore, not
 * a point, after "Image").
 * Results: TIZ_OK; TIZ_E_SIDE_MISMATCH; TIZ_E_NULL_POINTER for an invalid
 * handle; TIZ_E_INVALID_HANDLE as for the Y-bitonal images. */
int32_t TIZ_API TIZ_UtilDeleteYPlaneImage(uint32_t hGlobalBag);
/* TIZ_UtilGetScannerIsBlackBackground: reads ("scanner_is_black_background",
 * "Attribute.Value") as a DWORD in the UI bag, with fall-back to its
 * ancestors; changes nothing.
 *   pdwValue  out, not null: set to 0 once the handle has passed, then to the
 *             flag on TIZ_OK (0 when absent).
 * Results: TIZ_OK; TIZ_NOT_FOUND (no "ui.bag"); TIZ_E_WRONG_TYPE ("ui.bag"
 * or the flag); TIZ_E_NULL_POINTER; TIZ_E_INVALID_HANDLE (also for a
 * destroyed UI bag). */
int32_t TIZ_API TIZ_UtilGetScannerIsBlackBackground(uint32_t hGlobalBag, uint32_t *pdwValue);
/* TIZ_UtilSetScannerIsBlackBackground: writes `dwValue` into the UI bag as
 * ("scanner_is_black_background", "Attribute.Value"), confidence 100,
 * replacing whatever that setting held.
 * Results: TIZ_OK; TIZ_NOT_FOUND (no "ui.bag": nothing is written);
 * TIZ_E_WRONG_TYPE ("ui.bag"); TIZ_E_INVALID_HANDLE (also for a destroyed
 * UI bag). */
int32_t TIZ_API TIZ_UtilSetScannerIsBlackBackground(uint32_t hGlobalBag, uint32_t dwValue);
/* TIZ_UtilSetScannerIsBlackBackgroundDefault: the same in the defaults bag,
 * ("defaults.bag", "Attribute.Value") of the global bag.
 * Results: TIZ_OK; TIZ_NOT_FOUND (no "defaults.bag"); TIZ_E_WRONG_TYPE;
 * TIZ_E_INVALID_HANDLE. */
int32_t TIZ_API TIZ_UtilSetScannerIsBlackBackgroundDefault(uint32_t hGlobalBag, uint32_t dwValue);
/* TIZ_UtilGetZoomedBICDPI: picks the scanner resolution for a zoomed scan.
 * Reads ("scan_zoom_percent", "Attribute.Value"), default 100, and
 * ("Destination.Vertical_DPI", "Attribute.Value"), default 200, as DWORDs in
 * the UI bag with fall-back; changes nothing. The target resolution is
 * zoom / 100 x destination; the choice is the lowest resolution of
 * `dwDpiMask` that reaches it, else the highest. Mask bits: 0x0001 75 dpi,
 * 0x0002 100, 0x0004 150, 0x0008 200, 0x0010 240, 0x0020 300, 0x0040 400,
 * 0x2000 500, 0x0080 600; other bits are ignored.
 *   pdwDpiFlag  out, not null: on TIZ_OK the chosen resolution's bit.
 *   pdwZoom     out, not null: on TIZ_OK the scale from it to the destination
 *               in hundredths of a percent, rounded half up (10000: same).
 * Results: TIZ_OK; TIZ_E_NO_DPI (no known bit in `dwDpiMask`); TIZ_NOT_FOUND
 * (no "ui.bag"); TIZ_E_WRONG_TYPE; TIZ_E_NULL_POINTER (either out pointer);
 * TIZ_E_INVALID_HANDLE. */
int32_t TIZ_API TIZ_UtilGetZoomedBICDPI(uint32_t hGlobalBag, uint32_t dwDpiMask,
                                        uint32_t *pdwDpiFlag, uint32_t *pdwZoom);

#ifdef __cplusplus
}
#endif

#endif /* TIZ_H */
