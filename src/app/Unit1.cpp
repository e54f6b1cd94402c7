// TForm1, the dialog "ソレア" without its window: the controls' initial values and item lists,
// the show and close sequences, Cancel, and OK, which checks the values, saves them and builds
// the vertical dimension.
#include "app/Unit1.h"

#include <charconv>
#include <cmath>

#include "app/Texts.h"
#include "dimension/Dimension.h"
#include "exchange/JwwGaibu.h"
#include "util/MyFunc.h"
#include "util/X87.h"

namespace sorea {

namespace {

constexpr std::string_view kControlNames[] = {
    "ComboBox1",   "ComboBox2",   "ComboBox3", "ComboBox4", "ComboBox5", "Edit1",
    "Edit2",       "Edit3",       "Edit4",     "Edit5",     "Edit6",     "Edit7",
    "Edit8",       "Edit9",       "CheckBox1", "CheckBox2", "CheckBox3", "CheckBox4",
    "RadioGroup1", "RadioGroup2", "Memo1",     "LabelA1",   "Button1",   "Button2",
};

template <std::size_t N>
std::vector<std::string> Items(const std::array<std::string_view, N>& texts) {
  return std::vector<std::string>(texts.begin(), texts.end());
}

std::string IntText(int value) {
  char buffer[16];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

// A length the dialog accepts as "0 or more".
bool NonNegative(double value) {
  return value >= 0;
}

}  // namespace

std::string_view ControlName(ControlId id) {
  auto index = static_cast<std::size_t>(id);
  return index < std::size(kControlNames) ? kControlNames[index] : std::string_view();
}

TForm1::TForm1(FormView& view) : view_(view) {
  ComboBox1.Items = Items(texts::kEndMarkItems);
  ComboBox1.ItemIndex = 0;
  ComboBox2.Items = Items(texts::kEndMarkItems);
  ComboBox2.ItemIndex = 0;
  ComboBox4.Items = Items(texts::kPrecisionItems);
  ComboBox4.ItemIndex = 3;
  ComboBox5.Items = Items(texts::kRoundingItems);
  ComboBox5.ItemIndex = 2;
  RadioGroup1.Items = Items(texts::kZeroDisplayItems);
  RadioGroup1.ItemIndex = 0;
  RadioGroup2.Items = Items(texts::kUnitItems);
  RadioGroup2.ItemIndex = 0;

  Edit1 = TEdit{"1", 16, true};
  Edit2 = TEdit{"", 32, false};
  Edit3 = TEdit{"", 32, false};
  Edit4 = TEdit{"0.5", 16, true};
  Edit5 = TEdit{"2", 16, true};
  Edit6 = TEdit{"2", 16, true};
  Edit7 = TEdit{"3", 8, true};
  Edit8 = TEdit{"15", 8, true};
  Edit9 = TEdit{"2", 16, true};

  Memo1.Lines = Items(texts::kNoticeLines);
  LabelA1.Caption = std::string(texts::kStatusIdle);
}

TComboBox* TForm1::ComboBox(ControlId id) {
  switch (id) {
    case ControlId::ComboBox1:
      return &ComboBox1;
    case ControlId::ComboBox2:
      return &ComboBox2;
    case ControlId::ComboBox3:
      return &ComboBox3;
    case ControlId::ComboBox4:
      return &ComboBox4;
    case ControlId::ComboBox5:
      return &ComboBox5;
    default:
      return nullptr;
  }
}

TEdit* TForm1::Edit(ControlId id) {
  switch (id) {
    case ControlId::Edit1:
      return &Edit1;
    case ControlId::Edit2:
      return &Edit2;
    case ControlId::Edit3:
      return &Edit3;
    case ControlId::Edit4:
      return &Edit4;
    case ControlId::Edit5:
      return &Edit5;
    case ControlId::Edit6:
      return &Edit6;
    case ControlId::Edit7:
      return &Edit7;
    case ControlId::Edit8:
      return &Edit8;
    case ControlId::Edit9:
      return &Edit9;
    default:
      return nullptr;
  }
}

TCheckBox* TForm1::CheckBox(ControlId id) {
  switch (id) {
    case ControlId::CheckBox1:
      return &CheckBox1;
    case ControlId::CheckBox2:
      return &CheckBox2;
    case ControlId::CheckBox3:
      return &CheckBox3;
    case ControlId::CheckBox4:
      return &CheckBox4;
    default:
      return nullptr;
  }
}

TRadioGroup* TForm1::RadioGroup(ControlId id) {
  switch (id) {
    case ControlId::RadioGroup1:
      return &RadioGroup1;
    case ControlId::RadioGroup2:
      return &RadioGroup2;
    default:
      return nullptr;
  }
}

void TForm1::FillTextTypeList() {
  ComboBox3.Items.clear();
  ComboBox3.ItemIndex = -1;
  std::string current(texts::kTextTypeCurrent);
  if (Store.InitialTextType == 0) {
    current += "Free)";
  } else {
    current += "No" + IntText(Store.InitialTextType) + ")";
  }
  ComboBox3.Items.push_back(current);
  for (int n = 1; n <= 10; ++n) {
    const TextType& type = Store.TextTypeTable[static_cast<std::size_t>(n)];
    ComboBox3.Items.push_back("No" + IntText(n) + ": W" + FormatGeneral(type.Width) + " H" +
                              FormatGeneral(type.Height) + " D" + FormatGeneral(type.Spacing));
  }
}

void TForm1::FormShow() {
  InitElementStore();
  ProgramFolder = view_.ExecutableFolder();
  if (!ProgramFolder.empty() && ProgramFolder.back() != '\\' && ProgramFolder.back() != '/') {
#ifdef _WIN32
    ProgramFolder += '\\';
#else
    ProgramFolder += '/';
#endif
  }
  ReadExchangeFile(ProgramFolder + "JWC_TEMP.TXT");
  ResetWriterState();
  FillTextTypeList();
  LoadSettings(ProgramFolder + "rusk.dat");
  view_.MoveWindow(SavedLeft, SavedTop);
  shown_ = true;
}

void TForm1::FormClose() {
  // The platform may report the close more than once; Jw_cad's file is written once. Before
  // the show sequence there is no folder to write to and nothing to hand back.
  if (closed_ || !shown_) return;
  closed_ = true;
  WriteExchangeFile(ProgramFolder + "JWC_TEMP.TXT");
  ReleaseElementStore();
}

void TForm1::Button2Click() {
  view_.Close();
}

void TForm1::SetStatus(std::string_view text) {
  LabelA1.Caption = std::string(text);
  view_.RepaintStatus();
}

bool TForm1::ReadSettings(DimensionSettings& s) {
  auto refuse = [this](ControlId id) {
    view_.SetFocus(id);
    return false;
  };
  s.StartMark = ComboBox1.ItemIndex;
  s.EndMark = ComboBox2.ItemIndex;
  s.MarkScale = TextToFloat(Edit1.Text);
  if (s.StartMark < 0) return refuse(ControlId::ComboBox1);
  if (s.EndMark < 0) return refuse(ControlId::ComboBox2);
  if (!(s.MarkScale > 0)) return refuse(ControlId::Edit1);

  s.ArrowLength = TextToFloat(Edit7.Text);
  s.ArrowAngle = TextToFloat(Edit8.Text);
  if (!(s.ArrowLength > 0 && s.ArrowLength <= 1000)) return refuse(ControlId::Edit7);
  if (!(s.ArrowAngle > 0 && s.ArrowAngle < 180)) return refuse(ControlId::Edit8);

  s.TextTypeChoice = ComboBox3.ItemIndex;
  s.Prefix = SettleAffix(Edit2.Text);
  s.Suffix = SettleAffix(Edit3.Text);
  s.PrecisionIndex = ComboBox4.ItemIndex;
  s.RoundingMode = ComboBox5.ItemIndex;
  s.ZeroDisplay = RadioGroup1.ItemIndex;
  s.UnitChoice = RadioGroup2.ItemIndex;
  s.ThousandsCommas = CheckBox1.Checked;
  s.AppendUnit = CheckBox2.Checked;
  s.FullWidth = CheckBox3.Checked;
  s.DimensionFigure = CheckBox4.Checked;
  s.ValueLineDistance = TextToFloat(Edit4.Text);
  s.ExtensionGap = TextToFloat(Edit5.Text);
  s.ExtensionOvershoot = TextToFloat(Edit6.Text);
  s.ReverseOvershoot = TextToFloat(Edit9.Text);

  if (s.TextTypeChoice < 0) return refuse(ControlId::ComboBox3);
  if (s.PrecisionIndex < 0) return refuse(ControlId::ComboBox4);
  if (s.RoundingMode < 0) return refuse(ControlId::ComboBox5);
  if (s.ZeroDisplay < 0) return refuse(ControlId::RadioGroup1);
  if (s.UnitChoice < 0) return refuse(ControlId::RadioGroup2);
  if (!NonNegative(s.ExtensionGap)) return refuse(ControlId::Edit5);
  if (!NonNegative(s.ExtensionOvershoot)) return refuse(ControlId::Edit6);
  if (!NonNegative(s.ReverseOvershoot)) return refuse(ControlId::Edit9);
  return true;
}

double TForm1::DrawingScale() const {
  const int group = Store.InitialLayerGroup;
  if (group < 0 || group >= static_cast<int>(Store.LayerGroupScale.size())) return 1;
  return Store.LayerGroupScale[static_cast<std::size_t>(group)];
}

void TForm1::Button1Click() {
  // After the close sequence the store is gone; a late click has nothing to work on.
  if (closed_ || !shown_) return;
  SavedLeft = view_.WindowLeft();
  SavedTop = view_.WindowTop();

  DimensionSettings settings;
  if (!ReadSettings(settings)) return;

  SaveSettings(ProgramFolder + "rusk.dat");

  // Paper millimetres to drawing units, once.
  const double scale = DrawingScale();
  auto toDrawing = [scale](double paper) {
    return static_cast<double>(static_cast<long double>(paper) * scale);
  };
  settings.ExtensionGap = toDrawing(settings.ExtensionGap);
  settings.ExtensionOvershoot = toDrawing(settings.ExtensionOvershoot);
  settings.ReverseOvershoot = toDrawing(settings.ReverseOvershoot);

  const DimensionPicks picks = TakePicks(Store);
  DimensionLayout layout;
  ComputeLineEnds(picks, Store.AxisAngle, layout);
  const double length = MeasuredLength(layout);
  if (!(std::fabs(static_cast<long double>(length)) >= kTol10)) {
    view_.ShowMessage(texts::kZeroLengthMessage, texts::kMessageCaption);
    return;
  }

  SetStatus(texts::kStatusWorking);
  WriteVerticalDimension(settings, picks, scale, layout);
  SetStatus(texts::kStatusWriting);
  view_.Close();
}

}  // namespace sorea
