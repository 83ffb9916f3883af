// Tree files are Windows private-profile files: what the library saves, the
// platform's own profile functions read, and what they write, the library
// loads, for plain names and values of every type.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "brlconfigio.h"
#include "talb310.h"
#include "tiz.h"

namespace {

const char kPersistParameter[] = "ATTRIBUTESTORE\\BAGSETTINGSPERSIST";

// "Root", then each name, joined with the byte 0x7F.
std::string Section(std::initializer_list<const char *> names) {
  std::string section = "Root";
  for (const char *name : names) section += '\x7F' + std::string(name);
  return section;
}

// The text "%e" makes of a double, read back: what a tree file can hold.
// A double written with the old seven-digit "%e" text, as older files hold it.
double AsSaved(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%e", value);
  return std::atof(text);
}

class WinProfile : public ::testing::Test {
 protected:
  void SetUp() override {
    const ::testing::TestInfo *info = ::testing::UnitTest::GetInstance()->current_test_info();
    m_fileName = std::string("WinProfile_") + info->name() + ".ini";
    // The file lives where the configuration library puts tree files; ask it
    // the way the library does.
    ASSERT_EQ(BCIO_SetConfigParameterDest(kPersistParameter, 2, m_fileName.c_str()), 0);
    uint32_t reserved = 0;
    char configured[260] = {};
    uint32_t size = sizeof configured;
    ASSERT_EQ(BCIO_GetConfigParameterDest(kPersistParameter, &reserved, configured, &size), 0);
    // The profile functions look for relative names in the Windows folder.
    char full[MAX_PATH] = {};
    ASSERT_NE(GetFullPathNameA(configured, sizeof full, full, nullptr), 0u);
    m_path = full;
    DeleteFileA(m_path.c_str());
    ASSERT_EQ(TIZ_Create(&m_store), 0);
  }

  void TearDown() override {
    if (m_store) TIZ_Release(m_store);
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, m_path.c_str());  // drop the cache
    DeleteFileA(m_path.c_str());
  }

  std::vector<std::string> SectionNames() const {
    std::vector<char> buffer(1 << 16);
    DWORD n = GetPrivateProfileSectionNamesA(buffer.data(), static_cast<DWORD>(buffer.size()),
                                             m_path.c_str());
    std::vector<std::string> names;
    for (const char *p = buffer.data(); p < buffer.data() + n && *p; p += names.back().size() + 1)
      names.emplace_back(p);
    return names;
  }

  std::string Text(const std::string &section, const char *key) const {
    char buffer[1024];
    GetPrivateProfileStringA(section.c_str(), key, "<none>", buffer, sizeof buffer, m_path.c_str());
    return buffer;
  }

  UINT Int(const std::string &section, const char *key) const {
    return GetPrivateProfileIntA(section.c_str(), key, 0xBADu, m_path.c_str());
  }

  void Write(const std::string &section, const char *key, const std::string &value) const {
    ASSERT_TRUE(WritePrivateProfileStringA(section.c_str(), key, value.c_str(), m_path.c_str()));
  }

  // A section as the platform writes it: "Size" and "Type", then a "Value"
  // given as text.
  void WriteSetting(const std::string &section, uint32_t size, const char *type,
                    const char *value) const {
    Write(section, "Size", std::to_string(size));
    Write(section, "Type", type);
    if (value) Write(section, "Value", value);
  }

  std::string m_fileName;
  std::string m_path;
  uint32_t m_store = 0;
};

const unsigned char kBytes[] = {0x01, 0x02, 0xFF, 0x00, 0x7F, 0x80, 0x3D, 0x5B, 0x0D, 0x0A};

struct DwordCase {
  const char *item;
  uint32_t value;
};
const DwordCase kDwords[] = {
    {"Zero", 0}, {"Duplex", 1}, {"Largest", 0x7FFFFFFF}, {"Mask", 0xDEADBEEF}};

struct StringCase {
  const char *item;
  const char *value;
};
const StringCase kStrings[] = {{"Name", "Invoice batch 7"},
                               {"Path", "C:\\scans\\out.tif"},
                               {"Expression", "a=b; c"},
                               {"Empty", ""}};

TEST_F(WinProfile, LibraryTreeFileReadsBackThroughTheProfileFunctions) {
  for (const DwordCase &c : kDwords)
    ASSERT_EQ(TIZ_SetSettingDword(m_store, "Scan", c.item, c.value), 0) << c.item;
  ASSERT_EQ(TIZ_SetSettingDouble(m_store, "Image", "Gamma", 1.0 / 3), 0);
  ASSERT_EQ(TIZ_SetSettingDouble(m_store, "Image", "Offset", -12345.678e10), 0);
  for (const StringCase &c : kStrings)
    ASSERT_EQ(TIZ_SetSettingString(m_store, "Job", c.item, c.value), 0) << c.item;
  ASSERT_EQ(TIZ_SetSettingBuffer(m_store, "Data", "Bytes", kBytes, sizeof kBytes), 0);
  uint32_t image = TALB_CreateImage(300, 200);
  ASSERT_EQ(TIZ_SetSettingImage(m_store, "Current.ImageStore", "Image", image), 0);
  uint32_t nested = 0;
  ASSERT_EQ(TIZ_Create(&nested), 0);
  ASSERT_EQ(TIZ_SetSettingDword(nested, "Side", "Number", 2), 0);
  ASSERT_EQ(TIZ_SetSettingString(nested, "Side", "Label", "front"), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStore(m_store, "Page", "Front", nested), 0);

  ASSERT_EQ(TIZ_Serialize(m_store, m_fileName.c_str()), 0);
  TIZ_Release(m_store);
  m_store = 0;
  TIZ_Release(nested);

  std::vector<std::string> expected;
  for (const DwordCase &c : kDwords) expected.push_back(Section({"Scan", c.item}));
  expected.push_back(Section({"Image", "Gamma"}));
  expected.push_back(Section({"Image", "Offset"}));
  for (const StringCase &c : kStrings) expected.push_back(Section({"Job", c.item}));
  expected.push_back(Section({"Data", "Bytes"}));
  expected.push_back(Section({"Current.ImageStore", "Image"}));
  expected.push_back(Section({"Page", "Front"}));
  expected.push_back(Section({"Page", "Front", "Side", "Number"}));
  expected.push_back(Section({"Page", "Front", "Side", "Label"}));
  EXPECT_EQ(SectionNames(), expected);

  for (const DwordCase &c : kDwords) {
    std::string s = Section({"Scan", c.item});
    EXPECT_EQ(Int(s, "Size"), 4u) << c.item;
    EXPECT_EQ(Text(s, "Type"), "DWORD") << c.item;
    EXPECT_EQ(Int(s, "Value"), c.value) << c.item;
  }
  for (double value : {1.0 / 3, -12345.678e10}) {
    std::string s = Section({"Image", value > 0 ? "Gamma" : "Offset"});
    EXPECT_EQ(Int(s, "Size"), 8u);
    EXPECT_EQ(Text(s, "Type"), "DOUBLE");
    // Written with the digits the exact value needs.
    EXPECT_EQ(std::atof(Text(s, "Value").c_str()), value) << Text(s, "Value");
  }
  for (const StringCase &c : kStrings) {
    std::string s = Section({"Job", c.item});
    EXPECT_EQ(Int(s, "Size"), std::string(c.value).size() + 1) << c.item;
    EXPECT_EQ(Text(s, "Type"), "STRING") << c.item;
    EXPECT_EQ(Text(s, "Value"), c.value) << c.item;
  }
  std::string bytes = Section({"Data", "Bytes"});
  EXPECT_EQ(Int(bytes, "Size"), sizeof kBytes);
  EXPECT_EQ(Text(bytes, "Type"), "BUFFER");
  unsigned char read[sizeof kBytes] = {};
  EXPECT_TRUE(GetPrivateProfileStructA(bytes.c_str(), "Value", read, sizeof read, m_path.c_str()));
  EXPECT_EQ(std::string(read, read + sizeof read), std::string(kBytes, kBytes + sizeof kBytes));
  std::string img = Section({"Current.ImageStore", "Image"});
  EXPECT_EQ(Text(img, "Type"), "IMAGE");
  EXPECT_EQ(Int(img, "Value"), image);
  std::string page = Section({"Page", "Front"});
  EXPECT_EQ(Int(page, "Size"), 4u);
  EXPECT_EQ(Text(page, "Type"), "ATTRIBUTESTORE");
  EXPECT_EQ(Text(page, "Value"), "<none>");
  EXPECT_EQ(Int(Section({"Page", "Front", "Side", "Number"}), "Value"), 2u);
  EXPECT_EQ(Text(Section({"Page", "Front", "Side", "Label"}), "Value"), "front");
}

TEST_F(WinProfile, ProfileFunctionsWriteATreeFileTheLibraryLoads) {
  for (const DwordCase &c : kDwords)
    WriteSetting(Section({"Scan", c.item}), 4, "DWORD", std::to_string(c.value).c_str());
  WriteSetting(Section({"Image", "Gamma"}), 8, "DOUBLE", "3.333333e-01");
  WriteSetting(Section({"Image", "Scale"}), 8, "DOUBLE", "2.5");
  for (const StringCase &c : kStrings)
    WriteSetting(Section({"Job", c.item}), static_cast<uint32_t>(std::string(c.value).size() + 1),
                 "STRING", c.value);
  std::string bytes = Section({"Data", "Bytes"});
  WriteSetting(bytes, sizeof kBytes, "BUFFER", nullptr);
  ASSERT_TRUE(WritePrivateProfileStructA(
      bytes.c_str(), "Value", const_cast<unsigned char *>(kBytes), sizeof kBytes, m_path.c_str()));
  // Numbers that are no live image or structure of this process.
  WriteSetting(Section({"Current.ImageStore", "Image"}), 4, "IMAGE", "11259375");
  WriteSetting(Section({"Caller", "Structure"}), 4, "USERDEFINED", "1234");
  WriteSetting(Section({"Old", "Thing"}), 12, "UNDEFINED", nullptr);
  WriteSetting(Section({"Page", "Front"}), 4, "ATTRIBUTESTORE", nullptr);
  WriteSetting(Section({"Page", "Front", "Side", "Number"}), 4, "DWORD", "2");
  WriteSetting(Section({"Page", "Front", "Side", "Label"}), 6, "STRING", "front");
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, m_path.c_str());  // flush to disk

  ASSERT_EQ(TIZ_Deserialize(m_store, m_fileName.c_str()), 0);

  for (const DwordCase &c : kDwords) {
    uint32_t value = 0;
    EXPECT_EQ(TIZ_GetSettingDword(m_store, "Scan", c.item, &value), 0) << c.item;
    EXPECT_EQ(value, c.value) << c.item;
  }
  double value = 0;
  EXPECT_EQ(TIZ_GetSettingDouble(m_store, "Image", "Gamma", &value), 0);
  EXPECT_EQ(value, AsSaved(1.0 / 3));
  EXPECT_EQ(TIZ_GetSettingDouble(m_store, "Image", "Scale", &value), 0);
  EXPECT_EQ(value, 2.5);
  for (const StringCase &c : kStrings) {
    char text[64] = {};
    EXPECT_EQ(TIZ_GetSettingString(m_store, "Job", c.item, text, sizeof text), 0) << c.item;
    EXPECT_STREQ(text, c.value);
  }
  unsigned char read[32] = {};
  int32_t length = sizeof read;
  EXPECT_EQ(TIZ_GetSettingBuffer(m_store, "Data", "Bytes", read, &length), 0);
  EXPECT_EQ(std::string(read, read + length), std::string(kBytes, kBytes + sizeof kBytes));
  uint32_t size = 0;
  int32_t typeCode = -1;
  struct TypeCase {
    const char *group, *item;
    int32_t type;
    uint32_t size;
  };
  for (const TypeCase &c : {TypeCase{"Current.ImageStore", "Image", TIZ_TYPE_IMAGE, 4},
                            TypeCase{"Caller", "Structure", TIZ_TYPE_USERDEFINED, 4},
                            TypeCase{"Old", "Thing", TIZ_TYPE_UNDEFINED, 12},
                            TypeCase{"Page", "Front", TIZ_TYPE_ATTRIBUTESTORE, 4}}) {
    EXPECT_EQ(TIZ_GetSettingType(m_store, c.group, c.item, &typeCode), 0) << c.item;
    EXPECT_EQ(typeCode, c.type) << c.item;
    EXPECT_EQ(TIZ_GetSettingSize(m_store, c.group, c.item, &size), 0) << c.item;
    EXPECT_EQ(size, c.size) << c.item;
  }
  uint32_t image = 0;
  EXPECT_EQ(TIZ_GetSettingImage(m_store, "Current.ImageStore", "Image", &image), 0);
  EXPECT_EQ(image, 11259375u);

  uint32_t nested = 0;
  ASSERT_EQ(TIZ_GetSettingAttrStore(m_store, "Page", "Front", &nested), 0);
  uint32_t number = 0;
  EXPECT_EQ(TIZ_GetSettingDword(nested, "Side", "Number", &number), 0);
  EXPECT_EQ(number, 2u);
  char label[16] = {};
  EXPECT_EQ(TIZ_GetSettingString(nested, "Side", "Label", label, sizeof label), 0);
  EXPECT_STREQ(label, "front");
  TIZ_Release(nested);
}

}  // namespace
