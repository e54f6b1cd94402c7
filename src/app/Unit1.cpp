// TForm1, the dialog "ソレア" without its window: the controls' initial values and item lists,
// the show and close sequences, Cancel, and OK, which checks the values, saves them and builds
// the vertical dimension.
#include "app/Unit1.h"

#include <algorithm>
#include <cmath>
#include <type_traits>

#include "app/Texts.h"
#include "dimension/Dimension.h"
#include "exchange/JwwGaibu.h"
#include "util/Files.h"
#include "util/MyFunc.h"
#include "util/X87.h"

namespace sorea {

namespace {

template <std::size_t N>
std::vector<std::string> Items(const std::array<std::string_view, N>& texts) {
  return std::vector<std::string>(texts.begin(), texts.end());
}

// Where what is typed into a field stops: a line break (the field holds one line) or a NUL
// byte (no window's field holds one).
constexpr std::string_view kFieldEnds("\r\n\0", 3);

// A length the dialog accepts as "0 or more".
bool NonNegative(double value) {
  return value >= 0;
}

using K = ControlKind;
constexpr std::array<ControlInfo, kControlCount> kControls = {{
    {ControlId::ComboBox1, "ComboBox1", K::List, &TForm1::ComboBox1},
    {ControlId::ComboBox2, "ComboBox2", K::List, &TForm1::ComboBox2},
    {ControlId::ComboBox3, "ComboBox3", K::List, &TForm1::ComboBox3},
    {ControlId::ComboBox4, "ComboBox4", K::List, &TForm1::ComboBox4},
    {ControlId::ComboBox5, "ComboBox5", K::List, &TForm1::ComboBox5},
    {ControlId::Edit1, "Edit1", K::Edit, nullptr, &TForm1::Edit1},
    {ControlId::Edit2, "Edit2", K::Edit, nullptr, &TForm1::Edit2},
    {ControlId::Edit3, "Edit3", K::Edit, nullptr, &TForm1::Edit3},
    {ControlId::Edit4, "Edit4", K::Edit, nullptr, &TForm1::Edit4},
    {ControlId::Edit5, "Edit5", K::Edit, nullptr, &TForm1::Edit5},
    {ControlId::Edit6, "Edit6", K::Edit, nullptr, &TForm1::Edit6},
    {ControlId::Edit7, "Edit7", K::Edit, nullptr, &TForm1::Edit7},
    {ControlId::Edit8, "Edit8", K::Edit, nullptr, &TForm1::Edit8},
    {ControlId::Edit9, "Edit9", K::Edit, nullptr, &TForm1::Edit9},
    {ControlId::CheckBox1, "CheckBox1", K::Check, nullptr, nullptr, &TForm1::CheckBox1},
    {ControlId::CheckBox2, "CheckBox2", K::Check, nullptr, nullptr, &TForm1::CheckBox2},
    {ControlId::CheckBox3, "CheckBox3", K::Check, nullptr, nullptr, &TForm1::CheckBox3},
    {ControlId::CheckBox4, "CheckBox4", K::Check, nullptr, nullptr, &TForm1::CheckBox4},
    {ControlId::RadioGroup1, "RadioGroup1", K::Radio, nullptr, nullptr, nullptr,
     &TForm1::RadioGroup1},
    {ControlId::RadioGroup2, "RadioGroup2", K::Radio, nullptr, nullptr, nullptr,
     &TForm1::RadioGroup2},
    {ControlId::Memo1, "Memo1", K::Memo},
    {ControlId::LabelA1, "LabelA1", K::Label},
    {ControlId::Button1, "Button1", K::Button},
    {ControlId::Button2, "Button2", K::Button},
}};

constexpr bool InIdOrder() {
  for (std::size_t i = 0; i < kControls.size(); ++i) {
    if (static_cast<std::size_t>(kControls[i].Id) != i) return false;
  }
  return true;
}
static_assert(InIdOrder(), "kControls is indexed by ControlId");

}  // namespace

const std::array<ControlInfo, kControlCount>& Controls() {
  return kControls;
}

const ControlInfo& Control(ControlId id) {
  return kControls[static_cast<std::size_t>(id)];
}

const ControlInfo* FindControl(std::string_view name) {
  for (const ControlInfo& control : kControls) {
    if (control.Name == name) return &control;
  }
  return nullptr;
}

std::string_view ControlName(ControlId id) {
  const auto index = static_cast<std::size_t>(id);
  return index < kControls.size() ? kControls[index].Name : std::string_view();
}

double DrawingScale(const ElementStore& store) {
  const int group = store.InitialLayerGroup;
  if (group < 0 || group >= static_cast<int>(store.LayerGroupScale.size())) return 1;
  return store.LayerGroupScale[static_cast<std::size_t>(group)];
}

std::string TEdit::Type(std::string_view typed, std::size_t from, std::size_t to) {
  if (from > to) std::swap(from, to);
  to = std::min(to, Text.size());
  from = std::min(from, to);
  typed = typed.substr(0, std::min(typed.find_first_of(kFieldEnds), typed.size()));
  const std::size_t kept = Text.size() - (to - from);
  const std::size_t limit = MaxLength > 0 ? static_cast<std::size_t>(MaxLength) : 0;
  const std::string_view fits = CutWholeChars(typed, kept < limit ? limit - kept : 0);
  Text.replace(from, to - from, fits);
  return std::string(fits);
}

TForm1::TForm1(FormView& view) : view_(view) {
  // ComboBox3 is filled at show, from the drawing's text types.
  ComboBox1 = {Items(texts::kEndMarkItems), 0};
  ComboBox2 = {Items(texts::kEndMarkItems), 0};
  ComboBox4 = {Items(texts::kPrecisionItems), 3};
  ComboBox5 = {Items(texts::kRoundingItems), 2};
  RadioGroup1 = {Items(texts::kZeroDisplayItems), 0};
  RadioGroup2 = {Items(texts::kUnitItems), 0};

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

template <typename T>
T* TForm1::Find(ControlId id) {
  const ControlInfo& control = Control(id);
  T TForm1::*member = nullptr;
  if constexpr (std::is_same_v<T, TComboBox>) member = control.List;
  if constexpr (std::is_same_v<T, TEdit>) member = control.Edit;
  if constexpr (std::is_same_v<T, TCheckBox>) member = control.Check;
  if constexpr (std::is_same_v<T, TRadioGroup>) member = control.Radio;
  return member != nullptr ? &(this->*member) : nullptr;
}
template TComboBox* TForm1::Find<TComboBox>(ControlId);
template TEdit* TForm1::Find<TEdit>(ControlId);
template TCheckBox* TForm1::Find<TCheckBox>(ControlId);
template TRadioGroup* TForm1::Find<TRadioGroup>(ControlId);

int TForm1::ItemCount(ControlId id) const {
  const ControlInfo& control = Control(id);
  if (control.List != nullptr) return static_cast<int>((this->*control.List).Items.size());
  if (control.Radio != nullptr) return static_cast<int>((this->*control.Radio).Items.size());
  return -1;
}

void TForm1::FillTextTypeList(const ElementStore& store) {
  ComboBox3.Items.clear();
  ComboBox3.ItemIndex = -1;
  std::string current(texts::kTextTypeCurrent);
  if (store.InitialTextType == 0) {
    current += "Free)";
  } else {
    current += "No" + IntText(store.InitialTextType) + ")";
  }
  ComboBox3.Items.push_back(current);
  for (int n = 1; n <= 10; ++n) {
    const TextType& type = store.TextTypeTable[static_cast<std::size_t>(n)];
    ComboBox3.Items.push_back("No" + IntText(n) + ": W" + FormatGeneral(type.Width) + " H" +
                              FormatGeneral(type.Height) + " D" + FormatGeneral(type.Spacing));
  }
}

void TForm1::FormShow() {
  InitElementStore();
  ProgramFolder = WithSeparator(view_.ExecutableFolder());
  const std::string exchange = ProgramFolder + "JWC_TEMP.TXT";
  // A pipe or a device there reads as no file at all.
  if (KindOf(exchange) == FileKind::Other)
    view_.Warn(exchange + " is not a regular file: not read");
  ReadExchangeFile(exchange);
  ResetWriterState(Store);
  FillTextTypeList(Store);
  LoadSettings(ProgramFolder + "rusk.dat");
  view_.MoveWindow(SavedLeft, SavedTop);
  shown_ = true;
}

void TForm1::FormClose() {
  // The platform may report the close more than once; Jw_cad's file is written once. Before
  // the show sequence there is no folder to write to and nothing to hand back.
  if (closed_ || !shown_) return;
  closed_ = true;
  const std::string exchange = ProgramFolder + "JWC_TEMP.TXT";
  const FileProblem problem = WriteExchangeFile(exchange, Store);
  ReleaseElementStore();
  // Jw_cad finds no result, or "hq": the user must hear that nothing was drawn, and why.
  if (problem) {
    std::string detail;
    try {
      detail = exchange + ": " + Describe(problem);
    } catch (...) {
      // The message still goes out, without its detail.
    }
    view_.ShowFailure(texts::kResultNotWrittenMessage, texts::kCaption, detail);
  }
}

void TForm1::Button2Click() {
  view_.Close();
}

void TForm1::SetStatus(std::string_view text) {
  LabelA1.Caption = std::string(text);
  view_.RepaintStatus();
}

bool TForm1::ReadDimensionSettings(DimensionSettings& s) {
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

void TForm1::Button1Click() {
  // After the close sequence the store is gone; a late click has nothing to work on.
  if (closed_ || !shown_) return;
  SavedLeft = view_.WindowLeft();
  SavedTop = view_.WindowTop();

  DimensionSettings settings;
  if (!ReadDimensionSettings(settings)) return;

  if (const FileProblem problem = SaveSettings(ProgramFolder + "rusk.dat", Store)) {
    view_.Warn("settings not saved: " + ProgramFolder + "rusk.dat: " + Describe(problem));
  }

  // Paper millimetres to drawing units, once.
  const double scale = DrawingScale(Store);
  const DrawingLengths lengths = ToDrawingUnits(settings, scale);

  const DimensionPicks picks = TakePicks(Store);
  const DimensionLayout ends = ComputeLineEnds(picks, Store.AxisAngle);
  const double length = MeasuredLength(ends);
  // A NaN length (ends whose coordinates overflowed: infinity less infinity) stops here too.
  if (!(std::fabs(static_cast<long double>(length)) >= kTol10)) {
    view_.ShowMessage(texts::kZeroLengthMessage, texts::kMessageCaption);
    return;
  }

  // Points or scales too large for a double give infinite coordinates or lengths, which no
  // record can carry: the user is told, as for a zero length, and nothing is written.
  const DimensionDrawing drawing =
      DrawVerticalDimension(settings, lengths, picks, scale, ends, Store);
  if (!Writable(drawing, Store)) {
    view_.ShowMessage(texts::kTooLargeMessage, texts::kMessageCaption);
    return;
  }

  SetStatus(texts::kStatusWorking);
  try {
    WriteVerticalDimension(drawing, Store);
  } catch (...) {
    // Memory ran out part way: no part of a dimension may reach Jw_cad.
    Store.OutputLost = true;
  }
  SetStatus(texts::kStatusWriting);
  view_.Close();
}

}  // namespace sorea
