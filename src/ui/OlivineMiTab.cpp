#include "ui/OlivineMiTab.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "core/NumberFormat.h"
#include "core/SettingsRules.h"
#include "ui/TabParts.h"

namespace varnodel::ui {

namespace {

// Host Fo below 10 is no olivine an inclusion sits in.
constexpr Bounds kHostFo{10.0, 100.0};

// In the order of OlivineMinorSet.
const QStringList kMinorSets = {"None", "Komatiites", "High-Ca boninites", "MORB or BABB"};

// The text a melt-inclusion field holds: a number, or blank when it was not given.
QString givenText(const std::string& value) {
    double number = 0.0;
    return !value.empty() && parseNumber(value, number) ? numberText(number) : QString();
}

}  // namespace

NumberEdit* OlivineMiTab::field(Bounds bounds, const QString& objectName,
                                double TMeltInclusionSettings::*f) {
    auto* edit = new NumberEdit(bounds, this);
    edit->setObjectName(objectName);
    connect(edit, &NumberEdit::valueEdited, this, [this, f](double value) {
        state_.settings.parameters.meltInclusions.*f = value;
        Q_EMIT changed();
    });
    return edit;
}

QPushButton* OlivineMiTab::olivineLink(const QString& objectName) {
    QPushButton* link = dialogLink(objectName, this);
    connect(link, &QPushButton::clicked, this,
            [this] { Q_EMIT dialogRequested(DialogId::Models, static_cast<int>(Phase::Olivine)); });
    olivineLinks_.push_back(link);
    return link;
}

OlivineMiTab::OlivineMiTab(RunState& state, QWidget* parent)
    : QWidget(parent),
      state_(state),
      ironLoss_(new QRadioButton("Reconstruct MI composition", this)),
      diffusion_(new QRadioButton("Model diffusion", this)),
      hostFo_(new NumberEdit(kHostFo, this)),
      finalFeO_(new NumberEdit(kEntryDefault, this)),
      instant_(new QRadioButton("Instant cooling", this)),
      rate_(new QRadioButton("Cooling Rate", this)),
      extent_(field(kFinalExtent, "Final_extent", &TMeltInclusionSettings::finalExtent)),
      coolingRate_(field(kCoolingRate, "Cooling_rate", &TMeltInclusionSettings::coolingRate)),
      radius_(
          field(kInclusionRadius, "Inclusion_radius", &TMeltInclusionSettings::inclusionRadius)),
      interval_(
          field(kCoolingInterval, "Cooling_interval", &TMeltInclusionSettings::coolingInterval)),
      reheating_(new QCheckBox("Simulate reheating experiment", this)),
      tExp_(field(kReheatingTemperature, "T_exp", &TMeltInclusionSettings::reheatingTemperature)),
      loadLast_(new QCheckBox("Load last result", this)),
      density_(dialogLink("density_model", this)),
      minorSet_(new QComboBox(this)),
      oxidation_(new OxidationLinks(state, this)),
      profile_(new CompositionGrid(this)),
      composition_(new CompositionPanel(state, this)) {
    ironLoss_->setObjectName("ironloss");
    diffusion_->setObjectName("diffusion");
    instant_->setObjectName("Instant_cooling");
    rate_->setObjectName("Cooling_rate_mode");
    reheating_->setObjectName("Reheating");
    loadLast_->setObjectName("Load_last_result");
    minorSet_->setObjectName("Minor_elements");
    profile_->setObjectName("Profile_composition");
    minorSet_->addItems(kMinorSets);
    ironLoss_->setChecked(true);
    auto* calculation = new QButtonGroup(this);
    calculation->addButton(ironLoss_);
    calculation->addButton(diffusion_);
    auto* cooling = new QButtonGroup(this);
    cooling->addButton(instant_);
    cooling->addButton(rate_);

    auto* shared = new QGridLayout;
    shared->addWidget(new QLabel("Set of minor elements (Ca, Mn, Cr) in Olivine", this), 0, 0);
    shared->addWidget(minorSet_, 0, 1);
    shared->addWidget(oxidation_, 1, 0, 1, 2);
    shared->setColumnStretch(2, 1);
    auto* groups = new QHBoxLayout;
    groups->addWidget(buildIronLossGroup(), 2);
    groups->addWidget(buildProfileGroup(), 3);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    layout->addLayout(shared);
    layout->addWidget(composition_);
    layout->addStretch();

    connect(ironLoss_, &QRadioButton::toggled, this, [this] {
        if (!refreshing_) Q_EMIT changed();
    });
    connect(instant_, &QRadioButton::toggled, this, [this](bool on) {
        if (refreshing_) return;
        state_.settings.parameters.meltInclusions.instantCooling = on;
        state_.settings.parameters.meltInclusions.coolingRateMode = !on;
        Q_EMIT changed();
    });
    connect(reheating_, &QCheckBox::toggled, this, [this](bool on) {
        if (refreshing_) return;
        state_.settings.parameters.meltInclusions.simulateReheating = on;
        Q_EMIT changed();
    });
    connect(loadLast_, &QCheckBox::toggled, this, [this](bool on) {
        if (refreshing_) return;
        state_.settings.parameters.meltInclusions.loadLastResult = on;
        if (on) Q_EMIT lastResultWanted();
        Q_EMIT changed();
    });
    connect(minorSet_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (refreshing_ || index < 0) return;
        state_.settings.parameters.meltInclusions.olivineMinorSet =
            static_cast<OlivineMinorSet>(index);
        Q_EMIT changed();
    });
    connect(density_, &QPushButton::clicked, this,
            [this] { Q_EMIT dialogRequested(DialogId::Density, 0); });
    connect(oxidation_, &OxidationLinks::dialogRequested, this, &OlivineMiTab::dialogRequested);
    connect(profile_, &CompositionGrid::edited, this, [this] {
        auto& phases = state_.profileComposition.phases;
        TAnalysis melt = phases.empty() ? TAnalysis{} : phases.front();
        profile_->storeInto(melt);
        melt.name = std::string(phaseName(Phase::Melt));
        if (phases.empty())
            phases.push_back(std::move(melt));
        else
            phases.front() = std::move(melt);
        Q_EMIT changed();
    });
    connect(composition_, &CompositionPanel::changed, this, &OlivineMiTab::changed);
}

QWidget* OlivineMiTab::buildIronLossGroup() {
    auto* group = new QGroupBox("Fe-loss reconstruction", this);
    hostFo_->setObjectName("Host_Fo");
    finalFeO_->setObjectName("FeO_final");
    for (NumberEdit* edit : {hostFo_, finalFeO_})
        edit->setBlankAllowed(true);
    auto* form = new QGridLayout(group);
    form->addWidget(ironLoss_, 0, 0, 1, 2);
    form->addWidget(new QLabel("Ol-melt model:", group), 1, 0);
    form->addWidget(olivineLink("Ol_model_IRL"), 1, 1);
    form->addWidget(new QLabel("Host Olivine, Fo:", group), 2, 0);
    form->addWidget(hostFo_, 2, 1);
    form->addWidget(new QLabel("FeO* value:", group), 3, 0);
    form->addWidget(finalFeO_, 3, 1);
    form->setRowStretch(4, 1);
    form->setColumnStretch(1, 1);
    const auto store = [this](NumberEdit* edit, std::string TMeltInclusions::*f) {
        connect(edit, &NumberEdit::valueEdited, this, [this, f](double value) {
            state_.composition.meltInclusions.*f = shortestGeneral(value);
            Q_EMIT changed();
        });
        connect(edit, &NumberEdit::cleared, this, [this, f] {
            (state_.composition.meltInclusions.*f).clear();
            Q_EMIT changed();
        });
    };
    store(hostFo_, &TMeltInclusions::hostFo);
    store(finalFeO_, &TMeltInclusions::wholeRockFeO);
    return group;
}

QWidget* OlivineMiTab::buildProfileGroup() {
    auto* group = new QGroupBox("Diffusion profiles modelling", this);
    auto* form = new QGridLayout(group);
    int row = 0;
    form->addWidget(diffusion_, row++, 0, 1, 4);
    form->addWidget(new QLabel("Ol-melt model:", group), row, 0);
    form->addWidget(olivineLink("Ol_model_PR"), row, 1);
    form->addWidget(new QLabel("Density:", group), row, 2);
    form->addWidget(density_, row++, 3);
    form->addWidget(new QLabel("Inclusion radius, microns", group), row, 0);
    form->addWidget(radius_, row, 1);
    form->addWidget(new QLabel("Cooling interval, oC", group), row, 2);
    form->addWidget(interval_, row++, 3);
    form->addWidget(instant_, row, 0);
    form->addWidget(extent_, row, 1);
    form->addWidget(new QLabel("(final % of re-equilibration)", group), row++, 2, 1, 2);
    form->addWidget(rate_, row, 0);
    form->addWidget(coolingRate_, row, 1);
    form->addWidget(new QLabel("(oC/day)", group), row++, 2, 1, 2);
    form->addWidget(reheating_, row, 0);
    form->addWidget(tExp_, row, 1);
    form->addWidget(new QLabel("T exp (oC)", group), row++, 2, 1, 2);
    form->addWidget(loadLast_, row++, 0, 1, 4);
    form->addWidget(new QLabel("Starting melt of the profiles, wt%:", group), row++, 0, 1, 4);
    form->addWidget(profile_, row++, 0, 1, 4);
    form->setColumnStretch(1, 1);
    form->setColumnStretch(3, 1);
    return group;
}

Calculation OlivineMiTab::calculation() const {
    if (ironLoss_->isChecked()) return Calculation::IronLoss;
    return instant_->isChecked() ? Calculation::ProfileIC : Calculation::ProfileCR;
}

void OlivineMiTab::refresh() {
    refreshing_ = true;
    const TMeltInclusionSettings& mi = state_.settings.parameters.meltInclusions;
    hostFo_->setText(givenText(state_.composition.meltInclusions.hostFo));
    finalFeO_->setText(givenText(state_.composition.meltInclusions.wholeRockFeO));
    instant_->setChecked(!mi.coolingRateMode);
    rate_->setChecked(mi.coolingRateMode);
    extent_->setValue(mi.finalExtent);
    coolingRate_->setValue(mi.coolingRate);
    radius_->setValue(mi.inclusionRadius);
    interval_->setValue(mi.coolingInterval);
    reheating_->setChecked(mi.simulateReheating);
    tExp_->setValue(mi.reheatingTemperature);
    loadLast_->setChecked(mi.loadLastResult);
    // Only the field of the chosen cooling mode counts, and T exp only while reheating.
    extent_->setEnabled(!mi.coolingRateMode);
    coolingRate_->setEnabled(mi.coolingRateMode);
    tExp_->setEnabled(mi.simulateReheating);
    minorSet_->setCurrentIndex(static_cast<int>(mi.olivineMinorSet));
    const TModel* olivine = state_.slots[static_cast<std::size_t>(Phase::Olivine)];
    for (QPushButton* link : olivineLinks_)
        link->setText(olivine != nullptr ? QString::fromStdString(olivine->displayName)
                                         : QString("press to select"));
    density_->setText(
        qText(kDensityNames[static_cast<std::size_t>(state_.settings.parameters.densityModel)]));
    oxidation_->refresh();
    const auto& phases = state_.profileComposition.phases;
    profile_->show(phases.empty() ? TAnalysis{} : phases.front());
    composition_->refresh();
    refreshing_ = false;
}

void OlivineMiTab::setModelsEnabled(bool enabled) {
    for (QPushButton* link : olivineLinks_)
        link->setEnabled(enabled);
    density_->setEnabled(enabled);
    oxidation_->setModelsEnabled(enabled);
}

}  // namespace varnodel::ui
