// The setup dialog, opened modeless from its template so each test can look at it.
#include "ui/SetupDialog.h"

#include "ui/DisplayModes.h"
#include "ui/SetupDialogIds.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ostrel {
namespace {

std::wstring textOf(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}

std::wstring classOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

// What the dialog should list on this machine's display.
std::vector<std::string> expectedLabels() {
  std::vector<DisplayMode> enumerated;
  DEVMODEW mode{};
  mode.dmSize = sizeof mode;
  for (DWORD index = 0; EnumDisplaySettingsW(nullptr, index, &mode); ++index) {
    enumerated.push_back({mode.dmPelsWidth, mode.dmPelsHeight});
  }
  std::vector<std::string> labels;
  for (const DisplayMode& listed : listSetupModes(enumerated)) {
    labels.push_back(displayModeLabel(listed));
  }
  return labels;
}

class SetupDialogTest : public ::testing::Test {
protected:
  void open(const ScreenSettings& start) {
    settings = start;
    setSetupDialogSettings(&settings);
    dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SETUP), nullptr,
                                setupDialogProc, 0);
    ASSERT_NE(dialog, nullptr) << GetLastError();
  }

  void TearDown() override {
    if (dialog) {
      DestroyWindow(dialog);
    }
  }

  HWND item(int id) const { return GetDlgItem(dialog, id); }
  bool checked(int id) const { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
  bool enabled(int id) const { return IsWindowEnabled(item(id)) != FALSE; }
  void click(int id) const { SendMessageW(item(id), BM_CLICK, 0, 0); }
  void press(int id) const { SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

  std::vector<std::string> listedLabels() const {
    std::vector<std::string> labels;
    const LRESULT count = SendMessageW(item(IDC_RESOLUTION), CB_GETCOUNT, 0, 0);
    for (LRESULT index = 0; index < count; ++index) {
      char text[512] = {};
      SendMessageA(item(IDC_RESOLUTION), CB_GETLBTEXT, WPARAM(index), LPARAM(text));
      labels.push_back(text);
    }
    return labels;
  }

  LRESULT selection() const { return SendMessageW(item(IDC_RESOLUTION), CB_GETCURSEL, 0, 0); }

  ScreenSettings settings;
  HWND dialog = nullptr;
};

TEST_F(SetupDialogTest, TemplateHasItsCaptionSizeAndEveryControlInTabOrder) {
  open({});
  EXPECT_EQ(textOf(dialog), L"Quorvel feat. Tessane");
  const LONG style = GetWindowLongW(dialog, GWL_STYLE);
  EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | WS_SYSMENU), WS_POPUP | WS_CAPTION | WS_SYSMENU);
  RECT client{};
  GetClientRect(dialog, &client);
  RECT expectedClient{0, 0, 186, 111};
  MapDialogRect(dialog, &expectedClient);
  EXPECT_EQ(client.right, expectedClient.right);
  EXPECT_EQ(client.bottom, expectedClient.bottom);

  const struct {
    int id;
    const wchar_t* className;
    const wchar_t* text;
    LONG kind;  // button type or static alignment
    LONG flags;
    RECT units;  // x, y, width, height in dialog units
  } controls[] = {
      {IDOK, L"Button", L"Run", BS_DEFPUSHBUTTON, WS_TABSTOP, {7, 90, 50, 14}},
      {IDCANCEL, L"Button", L"Cancel", BS_PUSHBUTTON, WS_TABSTOP, {128, 90, 50, 14}},
      {-1, L"Static", L"Resolution:", SS_RIGHT, WS_GROUP, {20, 22, 65, 10}},
      // The combo box hands WS_VSCROLL on to its list, so its own window no longer has it.
      {IDC_RESOLUTION, L"ComboBox", L"", CBS_DROPDOWNLIST, WS_TABSTOP, {95, 20, 75, 125}},
      {-1, L"Static", L"Fullscreen:", SS_RIGHT, WS_GROUP, {20, 36, 65, 10}},
      {IDC_FULLSCREEN, L"Button", L"", BS_AUTOCHECKBOX, WS_TABSTOP, {95, 36, 9, 10}},
      {-1, L"Static", L"Always on top:", SS_RIGHT, WS_GROUP, {20, 49, 65, 10}},
      {IDC_ALWAYS_ON_TOP, L"Button", L"", BS_AUTOCHECKBOX, WS_TABSTOP, {95, 49, 10, 10}},
      {-1, L"Static", L"Vertical sync:", SS_RIGHT, WS_GROUP, {20, 63, 65, 10}},
      {IDC_VSYNC, L"Button", L"", BS_AUTOCHECKBOX, WS_TABSTOP, {95, 63, 11, 10}},
      {-1, L"Static", L"Multisampling:", SS_RIGHT, WS_GROUP, {25, 76, 60, 10}},
      {-1, L"Static", L"Halvek", SS_CENTER, WS_GROUP, {5, 8, 175, 10}},
      {IDC_MULTISAMPLE, L"Button", L"", BS_AUTOCHECKBOX, WS_TABSTOP, {95, 76, 14, 10}},
  };
  HWND child = GetWindow(dialog, GW_CHILD);
  for (const auto& expected : controls) {
    SCOPED_TRACE(testing::Message() << "control " << expected.id << " "
                                    << std::string(expected.text, expected.text + wcslen(expected.text)));
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(short(GetDlgCtrlID(child)), expected.id);
    EXPECT_EQ(classOf(child), expected.className);
    if (expected.id != IDC_RESOLUTION) {
      EXPECT_EQ(textOf(child), expected.text);
    }
    const LONG childStyle = GetWindowLongW(child, GWL_STYLE);
    EXPECT_EQ(childStyle & 0x0F, expected.kind);
    EXPECT_EQ(childStyle & expected.flags, expected.flags);
    EXPECT_EQ(childStyle & (WS_CHILD | WS_VISIBLE), WS_CHILD | WS_VISIBLE);

    // Position and size convert separately, as the dialog manager converts them.
    RECT pixels = expected.units;
    MapDialogRect(dialog, &pixels);
    RECT actual{};
    GetWindowRect(child, &actual);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
    EXPECT_EQ(actual.left, pixels.left);
    EXPECT_EQ(actual.top, pixels.top);
    EXPECT_EQ(actual.right - actual.left, pixels.right);
    if (expected.id != IDC_RESOLUTION) {  // a closed drop-down list is one line high
      EXPECT_EQ(actual.bottom - actual.top, pixels.bottom);
    }
    child = GetWindow(child, GW_HWNDNEXT);
  }
  EXPECT_EQ(child, nullptr);
}

TEST_F(SetupDialogTest, ClearedSettingsOpenOnTheLastModeFullscreenWithAlwaysOnTopOff) {
  open({});
  const std::vector<std::string> labels = expectedLabels();
  ASSERT_FALSE(labels.empty()) << "the display offers no 16:9 mode";
  EXPECT_EQ(listedLabels(), labels);
  EXPECT_EQ(selection(), LRESULT(labels.size()) - 1);
  EXPECT_TRUE(checked(IDC_FULLSCREEN));
  EXPECT_FALSE(checked(IDC_ALWAYS_ON_TOP));
  EXPECT_FALSE(enabled(IDC_ALWAYS_ON_TOP));
  EXPECT_FALSE(checked(IDC_VSYNC));
  EXPECT_FALSE(checked(IDC_MULTISAMPLE));
}

TEST_F(SetupDialogTest, OpensOnTheGivenSettingsButAlwaysOnTopStartsUnchecked) {
  ScreenSettings start;
  start.width = 1920;
  start.height = 1080;
  start.windowed = 1;
  start.vsync = 1;
  start.multiSample = 1;
  start.alwaysOnTop = 1;
  open(start);
  const std::vector<std::string> labels = listedLabels();
  LRESULT lastMatch = LRESULT(labels.size()) - 1;
  for (size_t index = 0; index < labels.size(); ++index) {
    if (labels[index] == "1920 * 1080") {
      lastMatch = LRESULT(index);
    }
  }
  EXPECT_EQ(selection(), lastMatch);
  EXPECT_FALSE(checked(IDC_FULLSCREEN));
  EXPECT_TRUE(enabled(IDC_ALWAYS_ON_TOP));
  EXPECT_FALSE(checked(IDC_ALWAYS_ON_TOP));
  EXPECT_TRUE(checked(IDC_VSYNC));
  EXPECT_TRUE(checked(IDC_MULTISAMPLE));
}

TEST_F(SetupDialogTest, FullscreenClearsAndDisablesAlwaysOnTopAndWindowedEnablesIt) {
  open({});
  click(IDC_FULLSCREEN);
  EXPECT_FALSE(checked(IDC_FULLSCREEN));
  EXPECT_TRUE(enabled(IDC_ALWAYS_ON_TOP));
  click(IDC_ALWAYS_ON_TOP);
  EXPECT_TRUE(checked(IDC_ALWAYS_ON_TOP));

  click(IDC_FULLSCREEN);
  EXPECT_TRUE(checked(IDC_FULLSCREEN));
  EXPECT_FALSE(checked(IDC_ALWAYS_ON_TOP));
  EXPECT_FALSE(enabled(IDC_ALWAYS_ON_TOP));

  click(IDC_FULLSCREEN);
  EXPECT_TRUE(enabled(IDC_ALWAYS_ON_TOP));
  EXPECT_FALSE(checked(IDC_ALWAYS_ON_TOP));  // enabled again, still unchecked
}

TEST_F(SetupDialogTest, RunAndCancelBothStoreTheChoices) {
  open({});
  click(IDC_FULLSCREEN);
  click(IDC_ALWAYS_ON_TOP);
  click(IDC_MULTISAMPLE);
  press(IDOK);
  const std::string chosen = expectedLabels().back();
  EXPECT_EQ(std::to_string(settings.width) + " * " + std::to_string(settings.height), chosen);
  EXPECT_EQ(settings.windowed, 1u);
  EXPECT_EQ(settings.alwaysOnTop, 1u);
  EXPECT_EQ(settings.vsync, 0u);
  EXPECT_EQ(settings.multiSample, 1u);

  DestroyWindow(dialog);
  open({});
  click(IDC_VSYNC);
  press(IDCANCEL);
  EXPECT_EQ(std::to_string(settings.width) + " * " + std::to_string(settings.height), chosen);
  EXPECT_EQ(settings.windowed, 0u);
  EXPECT_EQ(settings.alwaysOnTop, 0u);
  EXPECT_EQ(settings.vsync, 1u);
  EXPECT_EQ(settings.multiSample, 0u);
}

TEST_F(SetupDialogTest, NoSelectedModeStoresAZeroSize) {
  ScreenSettings start;
  start.width = 1;
  start.height = 1;
  open(start);
  SendMessageW(item(IDC_RESOLUTION), CB_SETCURSEL, WPARAM(-1), 0);
  press(IDOK);
  EXPECT_EQ(settings.width, 0u);
  EXPECT_EQ(settings.height, 0u);
}

}  // namespace
}  // namespace ostrel
