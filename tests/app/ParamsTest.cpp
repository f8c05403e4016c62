// Settings edited in the window: numeric labels through the keypad with their limits, the colour
// range edits and their refusals, range reset, colour swatches and the small check-box handlers.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QTest>

#include "WindowFixture.h"

namespace orvelle::test {
namespace {

class WindowParams : public WindowTest {
 protected:
  TForm1& LoadedWindow() {
    TForm1& form = MakeWindow();
    OpenThroughDialog(ExamplePath("volcano_pitch5.thk"));
    EXPECT_TRUE(messages.Messages().empty());
    return form;
  }
};

TEST_F(WindowParams, LabelsOpenTheKeypadWithTheirTagsLimits) {
  TForm1& form = MakeWindow();
  Find<QCheckBox>("Chk_Filter")->click();  // the radius label is editable with the filter on
  TypeIntoLabel("Lbl_FilterSize", QString("12"));
  ASSERT_EQ(keypadCalls.size(), 1u);
  const ParamLimits& limits = keypadCalls[0].limits;
  EXPECT_EQ(limits.kind, 0);
  EXPECT_EQ(limits.min, 1);
  EXPECT_EQ(limits.max, 50);
  EXPECT_EQ(limits.maxDigits, 2);
  EXPECT_EQ(keypadCalls[0].startText, "3");
  EXPECT_EQ(form.ParamEntry(0).text, "3");
  EXPECT_EQ(Find<QLabel>("Lbl_FilterSize")->text(), "12");
  EXPECT_EQ(form.Params().filterSize, 12);

  TypeIntoLabel("Lbl_Norm_Divisor_1", QString("2.5"));  // disabled: the box is not ticked
  EXPECT_EQ(keypadCalls.size(), 1u);
  Find<QCheckBox>("Chk_Norm_Divide_1")->click();
  TypeIntoLabel("Lbl_Norm_Divisor_1", QString("2.500"));
  ASSERT_EQ(keypadCalls.size(), 2u);
  EXPECT_EQ(keypadCalls[1].limits.kind, 1);
  EXPECT_EQ(keypadCalls[1].limits.min, 0.001);
  EXPECT_EQ(keypadCalls[1].limits.decimals, 3);
  // Only data type 0 is divided.
  EXPECT_EQ(form.DataSets()[0].normDivisor, 2.5);
  EXPECT_EQ(form.DataSets()[1].normDivisor, 1.0);
  Find<QCheckBox>("Chk_Norm_Divide_1")->click();
  EXPECT_EQ(form.DataSets()[0].normDivisor, 1.0);

  TypeIntoLabel("Lbl_Grid_XOffset", std::nullopt);  // cancelled
  EXPECT_EQ(Find<QLabel>("Lbl_Grid_XOffset")->text(), "0");
  EXPECT_EQ(keypadCalls.back().limits.max, 300);
  EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(WindowParams, RangeLabelsNeedDataAndRefuseTheWrongSide) {
  MakeWindow();
  TypeIntoLabel("Lbl_Max", QString("5"));
  EXPECT_TRUE(keypadCalls.empty());  // no data: no keypad, no message
  EXPECT_TRUE(messages.Messages().empty());
  window.reset();

  TForm1& form = LoadedWindow();
  GridDataSet& set = form.DataSets()[0];
  const double min = set.rangeMin, max = set.rangeMax;
  ASSERT_LT(min, max);
  auto* maxLabel = Find<QLabel>("Lbl_Max");
  const QString shown = maxLabel->text();
  TypeIntoLabel("Lbl_Max", QString::number(min - 1, 'f', 3));
  ASSERT_EQ(keypadCalls.size(), 1u);
  EXPECT_EQ(keypadCalls[0].limits.min, -99998.999);
  EXPECT_EQ(keypadCalls[0].limits.maxDigits, 10);
  EXPECT_EQ(messages.Only(), "'Max' value must not be '<Min'.");
  EXPECT_EQ(set.rangeMax, max);
  EXPECT_EQ(maxLabel->text(), shown);
  EXPECT_FALSE(Find<QWidget>("Btn_RangeReset")->isEnabled());
  messages.Clear();

  TypeIntoLabel("Lbl_Min", QString::number(max + 1, 'f', 3));
  EXPECT_EQ(messages.Only(), "'Min' value must be '<Max'.");
  EXPECT_EQ(set.rangeMin, min);
  messages.Clear();

  // Min equal to Max is accepted by both checks.
  const QString maxText = QString::number(max, 'f', 3);
  TypeIntoLabel("Lbl_Min", maxText);
  EXPECT_TRUE(messages.Messages().empty());
  EXPECT_EQ(set.rangeMin, maxText.toDouble());
  TypeIntoLabel("Lbl_Max", maxText);
  EXPECT_EQ(set.rangeMax, maxText.toDouble());
  EXPECT_TRUE(Find<QWidget>("Btn_RangeReset")->isEnabled());

  EXPECT_FALSE(form.SetRangeMin(form.DataSets()[5], 0.0));
  EXPECT_EQ(messages.Only(), "Data is not selected.");
}

TEST_F(WindowParams, RangeResetAsksFirst) {
  TForm1& form = LoadedWindow();
  GridDataSet& set = form.DataSets()[0];
  set.defaultMin = -1.5;
  set.defaultMax = 1234.5678;
  set.rangeMin = 10;
  set.rangeMax = 20;
  questionAnswers = {false, true};
  form.Btn_RangeResetClick();
  ASSERT_EQ(questionCalls.size(), 1u);
  EXPECT_EQ(questionCalls[0].caption, "Reset range");
  EXPECT_EQ(questionCalls[0].text,
            "Reset Min/Max range to default.\n -> Min=-1.500,Max=1234.568\nAre you sure?");
  EXPECT_EQ(set.rangeMin, 10);
  Find<QWidget>("Btn_RangeReset")->setEnabled(true);
  form.Btn_RangeResetClick();
  EXPECT_EQ(set.rangeMin, -1.5);
  EXPECT_EQ(set.rangeMax, 1234.5678);
  EXPECT_FALSE(Find<QWidget>("Btn_RangeReset")->isEnabled());
}

TEST_F(WindowParams, SwatchesTakeTheChosenColour) {
  TForm1& form = MakeWindow();
  PickColor("Shp_LG_LSub01", 0x00FF00);
  EXPECT_EQ(form.Params().lgYColor[0], 0x00FF00u);
  // The horizontal cursor line on the colour map follows the line graph's colour.
  EXPECT_EQ(Find<ColorShape>("Shp_CM_HorzLine")->PenColor(), 0x00FF00u);
  PickColor("Shp_LG_Line01", 0x123456);
  EXPECT_EQ(Find<ColorShape>("Shp_CM_VertLine")->PenColor(), 0x123456u);
  PickColor("Shp_3D_Side", 0xABCDEF);
  EXPECT_EQ(form.Params().d3SideColor, 0xABCDEFu);
  PickColor("Shp_Color_Back", std::nullopt);  // cancelled
  EXPECT_EQ(form.Params().backColor, 0xFF0000u);
  PickColor("Shape1", 0x010101);
  EXPECT_EQ(Find<ColorShape>("Shape1")->BrushColor(), 0x010101u);
}

TEST_F(WindowParams, CheckBoxesEnableTheirLabels) {
  MakeWindow();
  auto* order = Find<QWidget>("Lbl_Spline_Order");
  Find<QCheckBox>("Chk_Spline_Enable")->click();
  EXPECT_TRUE(order->isEnabled());
  Find<QCheckBox>("Chk_Spline_Enable")->click();
  EXPECT_FALSE(order->isEnabled());
  Find<QCheckBox>("Chk_Filter")->click();
  EXPECT_TRUE(Find<QWidget>("Lbl_FilterSize")->isEnabled());

  auto* type = Find<QComboBox>("Cmb_RangeArea_Type");
  type->setFocus();
  QTest::keyClick(type, Qt::Key_Home);
  EXPECT_EQ(window->Params().rangeAreaType, 0);
  EXPECT_FALSE(Find<QWidget>("Lbl_RangeArea_V2")->isEnabled());
  QTest::keyClick(type, Qt::Key_End);
  EXPECT_TRUE(Find<QWidget>("Lbl_RangeArea_V2")->isEnabled());
}

TEST_F(WindowParams, NothingSelectedMeansTypeZero) {
  TForm1& form = LoadedWindow();
  Find<QComboBox>("Cmb_DataType")->setCurrentIndex(-1);
  form.GetParam();
  EXPECT_EQ(form.SelectedType(), 0);
}

}  // namespace
}  // namespace orvelle::test
