#include "ui/dialogs/_frm_h2o_correction.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/SettingsRules.h"

namespace varnodel::ui {

namespace {

// The coefficients of "use Faloon, Quellmark (2000)" for olivine and the other minerals but
// plagioclase, which has its own.
constexpr const char* kOlivineA = "74.403";
constexpr const char* kOlivineB = "0.352";
constexpr const char* kPlagioclaseA = "121.75";
constexpr const char* kPlagioclaseB = "0.512";

}  // namespace

Th2o_correction::Th2o_correction(DialogContext& context, QWidget* parent)
    : SettingsDialog(context, "Correction for H2O content", parent),
      a_(new NumberEdit(kH2OA, this)),
      b_(new NumberEdit(kH2OB, this)),
      Model_coeff_(new QCheckBox("use Faloon, Quellmark (2000)", this)) {
    a_->setObjectName("Edit1");
    b_->setObjectName("Edit2");
    Model_coeff_->setObjectName("Model_coeff");
    auto* setDefault = new QPushButton("Set default ", this);
    setDefault->setObjectName("Set_default");
    auto* remove = new QPushButton("Remove", this);
    remove->setObjectName("Remove");
    for (QPushButton* button : {setDefault, remove})
        button->setAutoDefault(false);

    auto* equation =
        new QLabel(QString::fromUtf8("\u0394T = \u2212A \u00b7 H2O<sup>B</sup>"), this);
    equation->setTextFormat(Qt::RichText);
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel("Correction coefficients in equation ", this), 0, 0);
    grid->addWidget(equation, 0, 1);
    grid->addWidget(new QLabel("A", this), 1, 0);
    grid->addWidget(a_, 1, 1);
    grid->addWidget(new QLabel("B", this), 2, 0);
    grid->addWidget(b_, 2, 1);
    grid->addWidget(Model_coeff_, 3, 0, 1, 2);
    grid->addWidget(setDefault, 4, 0);
    grid->addWidget(remove, 4, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    addCloseButtons(layout, false);

    connect(Model_coeff_, &QCheckBox::toggled, this, [this](bool on) {
        if (on) setCoefficients(kOlivineA, kOlivineB);
        a_->setEnabled(!on);
        b_->setEnabled(!on);
    });
    connect(setDefault, &QPushButton::clicked, this, [this] {
        if (mineral() == static_cast<std::size_t>(Phase::Plagioclase))
            setCoefficients(kPlagioclaseA, kPlagioclaseB);
        else
            setCoefficients(kOlivineA, kOlivineB);
    });
    connect(remove, &QPushButton::clicked, this, [this] {
        Model_coeff_->setChecked(false);
        setCoefficients("0", "0");
    });
}

void Th2o_correction::setCoefficients(const char* a, const char* b) {
    a_->setText(a);
    b_->setText(b);
}

void Th2o_correction::load() {
    Model_coeff_->setVisible(mineral() == static_cast<std::size_t>(Phase::Olivine));
    Model_coeff_->setChecked(false);
    a_->setEnabled(true);
    b_->setEnabled(true);
    a_->setValue(mineralOptions().h2oA);
    b_->setValue(mineralOptions().h2oB);
}

void Th2o_correction::store() {
    setH2OCorrection(mineralOptions(), a_->value(), b_->value());
}

}  // namespace varnodel::ui
