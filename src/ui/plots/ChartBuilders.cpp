#include "ui/plots/ChartBuilders.h"

#include <QFileInfo>
#include <QMap>
#include <algorithm>
#include <cmath>
#include <functional>

#include "core/Composition.h"
#include "core/Errors.h"

namespace varnodel::ui::plots {

namespace {

QString q(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QString trimmedQ(std::string_view s) {
    return q(s).trimmed();
}

QString fileName(const ResultTable& table) {
    return QFileInfo(QString::fromStdString(table.file.string())).fileName();
}

// The rows of one analysis: a batch writes its analyses one after another.
struct Group {
    const ResultTable* table;
    std::size_t begin;
    std::size_t end;
    QString name;
};

// Every table's analyses, each named by its sample; a name that two tables share gets the
// file's name too, so that overlaid runs stay apart.
std::vector<Group> groups(const Tables& tables) {
    std::vector<Group> all;
    for (const ResultTable* table : tables) {
        const QString file = fileName(*table);
        for (std::size_t r = 0; r < table->rows;) {
            const std::string sample = table->sample(r);
            std::size_t end = r + 1;
            while (end < table->rows && table->sample(end) == sample)
                ++end;
            // The profile files name their analysis on the first row only.
            const bool namedOnce = table->kind == ResultKind::Profile;
            all.push_back({table, r, namedOnce ? table->rows : end,
                           sample.empty() ? file : QString::fromStdString(sample)});
            r = namedOnce ? table->rows : end;
        }
        if (table->rows == 0) all.push_back({table, 0, 0, file});
    }
    std::vector<bool> shared;
    for (const Group& g : all)
        shared.push_back(std::any_of(all.begin(), all.end(), [&](const Group& other) {
            return other.name == g.name && other.table != g.table;
        }));
    for (std::size_t i = 0; i < all.size(); ++i)
        if (shared[i]) all[i].name += " (" + fileName(*all[i].table) + ")";
    return all;
}

QList<QPointF> points(const ResultColumn& x, const ResultColumn& y, std::size_t begin,
                      std::size_t end) {
    QList<QPointF> out;
    for (std::size_t r = begin; r < end && r < x.values.size() && r < y.values.size(); ++r)
        if (x.values[r] && y.values[r]) out.append(QPointF(*x.values[r], *y.values[r]));
    return out;
}

bool hasValues(const ResultColumn& column) {
    return std::any_of(column.values.begin(), column.values.end(),
                       [](const auto& v) { return v.has_value(); });
}

bool isOxide(const QString& name) {
    if (name == "H2O" || name == "FeO*" || name == "FEO*") return true;
    for (const OxideInfo& oxide : kOxides)
        if (trimmedQ(oxide.label) == name) return true;
    return false;
}

bool isTrace(const QString& name) {
    for (const TraceInfo& trace : kTraces)
        if (trimmedQ(trace.name) == name) return true;
    return false;
}

// A column of the table by the name a user gives: exact, then the melt's ("MgO" ->
// "MgO_melt"), whatever the case.
const ResultColumn* resolve(const ResultTable& table, const QString& name) {
    for (const QString& candidate : {name, name + "_melt"})
        for (const ResultColumn& c : table.columns)
            if (QString::fromStdString(c.name).compare(candidate, Qt::CaseInsensitive) == 0)
                return &c;
    return nullptr;
}

QString baseName(const QString& column) {
    QString name = column;
    if (name.endsWith("_melt")) name.chop(5);
    return name;
}

// An axis title with its unit.
QString axisTitle(const QString& column) {
    const QString name = baseName(column);
    if (isOxide(name)) return name + " (wt%)";
    if (isTrace(name)) return name + " (ppm)";
    if (name == "Temperature" || name == "T (C)" || name == "T_CALC" || name == "T_RUN")
        return "T (°C)";
    if (name.startsWith("Melt_%") || name == "Starting_melt_%") return "Melt (%)";
    return name;
}

struct CompositionColumn {
    QString mineral;
    QString label;
    const ResultColumn* column;
};

// The minerals' composition numbers of a forward ("Olv_Fo_magma") or reverse ("Olv_Fo") table.
std::vector<CompositionColumn> compositionColumns(const ResultTable& table) {
    std::vector<CompositionColumn> out;
    for (const ResultColumn& c : table.columns) {
        QString name = QString::fromStdString(c.name);
        if (name.endsWith("_magma")) name.chop(6);
        const qsizetype cut = name.indexOf('_');
        if (cut != 3 || name.count('_') != 1) continue;
        const QString mineral = name.left(3);
        const QString label = name.mid(4);
        if (QString::fromStdString(mineralOfCompositionLabel(label.toStdString())) == mineral)
            out.push_back({mineral, label, &c});
    }
    return out;
}

// The melt left: the forward table's share of melt in the magma, the reverse one's share of
// the starting melt.
const ResultColumn* meltColumn(const ResultTable& table) {
    return table.kind == ResultKind::Fractional ? table.column("Melt_%_magma")
                                                : table.column("Starting_melt_%");
}

// Marks on a curve the rows where a mineral enters (its composition number appears) and where
// it leaves (the number goes missing).
void markJoinsAndLeaves(const Group& g, const ResultColumn& x, const ResultColumn& y,
                        const std::vector<CompositionColumn>& minerals,
                        QMap<QString, PlotSeries>& marks, QStringList& order) {
    for (const CompositionColumn& m : minerals) {
        const auto present = [&](std::size_t r) { return m.column->values[r].has_value(); };
        for (std::size_t r = g.begin; r < g.end; ++r) {
            const bool joins = present(r) && (r == g.begin || !present(r - 1));
            const bool leaves = !present(r) && r > g.begin && present(r - 1);
            if (!(joins || leaves) || !x.values[r] || !y.values[r]) continue;
            const QString key = m.mineral + (joins ? " joins" : " leaves");
            if (!marks.contains(key)) {
                PlotSeries s;
                s.name = key;
                s.style = SeriesStyle::Points;
                s.marker = joins ? Marker::Triangle : Marker::Square;
                marks[key] = s;
                order.append(key);
            }
            marks[key].points.append(QPointF(*x.values[r], *y.values[r]));
        }
    }
}

void appendMarks(PlotPanel& panel, const QMap<QString, PlotSeries>& marks,
                 const QStringList& order) {
    for (const QString& key : order)
        panel.series.append(marks[key]);
}

Tables suitable(const Tables& tables, const std::function<bool(const ResultTable&)>& suits) {
    Tables out;
    for (const ResultTable* t : tables)
        if (suits(*t)) out.push_back(t);
    return out;
}

[[noreturn]] void nothingToShow(const QString& what) {
    throw EInputError(("No result file holds " + what).toStdString());
}

// The olivine of a host's Fo (fraction), as wt% MgO and FeO of (Mg,Fe)2SiO4.
QPointF olivineMgOFeO(double fo) {
    const double mgo = 2.0 * fo * 40.3;  // MgO, FeO and SiO2 per formula, g
    const double feo = 2.0 * (1.0 - fo) * 71.85;
    const double total = mgo + feo + 60.08;
    return {100.0 * mgo / total, 100.0 * feo / total};
}

}  // namespace

// ---------------------------------------------------------------------------------------------

bool HarkerChart::suits(const ResultTable& table) {
    return table.kind != ResultKind::Profile && table.kind != ResultKind::CoolingProfiles;
}

QList<PlotPanel> HarkerChart::build(const Tables& all, const PlotOptions& options) {
    const Tables tables = suitable(all, suits);
    QStringList ys = options.y;
    if (ys.isEmpty()) {
        QStringList oxides;
        for (const OxideInfo& oxide : kOxides)
            oxides.append(trimmedQ(oxide.label));
        oxides.append("H2O");
        for (const QString& y : oxides) {
            if (y.compare(options.x, Qt::CaseInsensitive) == 0) continue;
            // A column that is nothing but zeros (an oxide no analysis holds) is left out.
            const bool shown = std::any_of(tables.begin(), tables.end(), [&](auto* t) {
                const ResultColumn* c = resolve(*t, y);
                return c && std::any_of(c->values.begin(), c->values.end(),
                                        [](const auto& v) { return v && *v != 0.0; });
            });
            if (shown) ys.append(y);
        }
    }
    QList<PlotPanel> panels;
    for (const QString& y : ys) {
        PlotPanel panel;
        panel.title = baseName(y) + " vs " + baseName(options.x);
        bool found = false;
        for (const Group& g : groups(tables)) {
            const ResultColumn* xc = resolve(*g.table, options.x);
            const ResultColumn* yc = resolve(*g.table, y);
            if (!xc || !yc) continue;
            if (!found) {
                panel.xTitle = axisTitle(QString::fromStdString(xc->name));
                panel.yTitle = axisTitle(QString::fromStdString(yc->name));
                found = true;
            }
            panel.series.append({g.name, points(*xc, *yc, g.begin, g.end)});
        }
        if (!found) nothingToShow("the columns " + options.x + " and " + y);
        panels.append(panel);
    }
    if (panels.isEmpty()) nothingToShow("a composition to plot against " + options.x);
    return panels;
}

// ---------------------------------------------------------------------------------------------

bool TemperatureChart::suits(const ResultTable& table) {
    return table.kind == ResultKind::Fractional || table.kind == ResultKind::Reverse;
}

QList<PlotPanel> TemperatureChart::build(const Tables& all) {
    const Tables tables = suitable(all, suits);
    if (tables.empty()) nothingToShow("temperatures of a forward or reverse run");
    PlotPanel panel{"Temperature vs melt fraction", "Melt (%)", "T (°C)", {}, {}, {}};
    QMap<QString, PlotSeries> marks;
    QStringList order;
    for (const Group& g : groups(tables)) {
        const ResultColumn* x = meltColumn(*g.table);
        const ResultColumn* y = g.table->column("Temperature");
        if (!x || !y) continue;
        panel.series.append({g.name, points(*x, *y, g.begin, g.end)});
        markJoinsAndLeaves(g, *x, *y, compositionColumns(*g.table), marks, order);
    }
    appendMarks(panel, marks, order);
    return {panel};
}

// ---------------------------------------------------------------------------------------------

bool MineralChart::suits(const ResultTable& table) {
    return table.kind == ResultKind::Fractional || table.kind == ResultKind::Reverse ||
           table.kind == ResultKind::Mineral;
}

QList<PlotPanel> MineralChart::build(const Tables& all) {
    const Tables tables = suitable(all, suits);
    if (tables.empty()) nothingToShow("mineral compositions");
    PlotPanel panel{
        "Mineral compositions vs temperature", "T (°C)", "Fo, An, Mg#, Cr# (mol%)", {}, {}, {}};
    for (const Group& g : groups(tables)) {
        if (g.table->kind == ResultKind::Mineral) {
            const auto model = std::find_if(g.table->columns.begin(), g.table->columns.end(),
                                            [](const auto& c) { return c.name == "Model"; });
            const ResultColumn* x = g.table->column("T (C)");
            if (!x || model == g.table->columns.begin()) continue;
            const ResultColumn& y = *(model - 1);
            PlotSeries s{g.name + ": " + QString::fromStdString(g.table->mineral + " " + y.name),
                         points(*x, y, g.begin, g.end)};
            // The liquidus association writes one row per model, not a path.
            if (g.table->calculation == Calculation::MLA) {
                s.style = SeriesStyle::Points;
                panel.yTitle = "Fo, An, Mg#, Cr# (fraction)";
                const ResultColumn* names = g.table->column("Model");
                for (std::size_t r = g.begin; r < g.end; ++r)
                    if (x->values[r] && y.values[r])
                        s.labels.append(QString::fromStdString(names->texts[r]));
            }
            panel.series.append(s);
            continue;
        }
        const ResultColumn* x = g.table->column("Temperature");
        if (!x) continue;
        for (const CompositionColumn& m : compositionColumns(*g.table))
            if (hasValues(*m.column))
                panel.series.append({g.name + ": " + m.mineral + " " + m.label,
                                     points(*x, *m.column, g.begin, g.end)});
    }
    return {panel};
}

// ---------------------------------------------------------------------------------------------

bool CumulateChart::suits(const ResultTable& table) {
    return TemperatureChart::suits(table);
}

QList<PlotPanel> CumulateChart::build(const Tables& all) {
    const Tables tables = suitable(all, suits);
    if (tables.empty()) nothingToShow("the cumulate of a forward or reverse run");
    PlotPanel panel{
        "Cumulate proportions vs melt fraction", "Melt (%)", "Cumulate (wt%)", {}, {}, {}};
    if (std::all_of(tables.begin(), tables.end(),
                    [](auto* t) { return t->kind == ResultKind::Reverse; }))
        panel = {"Added minerals vs melt fraction", "Starting melt (%)", "Added (wt%)", {}, {}, {}};
    QMap<QString, PlotSeries> marks;
    QStringList order;
    for (const Group& g : groups(tables)) {
        const ResultColumn* x = meltColumn(*g.table);
        if (!x) continue;
        const std::vector<CompositionColumn> minerals = compositionColumns(*g.table);
        for (const CompositionColumn& m : minerals) {
            const std::string name =
                m.mineral.toStdString() +
                (g.table->kind == ResultKind::Fractional ? "_%_cumulate" : "_%");
            const ResultColumn* y = g.table->column(name);
            if (!y || !hasValues(*y)) continue;
            panel.series.append({g.name + ": " + m.mineral, points(*x, *y, g.begin, g.end)});
            markJoinsAndLeaves(g, *x, *y, {m}, marks, order);
        }
    }
    appendMarks(panel, marks, order);
    return {panel};
}

// ---------------------------------------------------------------------------------------------

bool LiquidusChart::suits(const ResultTable& table) {
    return table.kind == ResultKind::MLA;
}

QList<PlotPanel> LiquidusChart::build(const Tables& all) {
    const Tables tables = suitable(all, suits);
    if (tables.empty()) nothingToShow("liquidus temperatures of a liquidus association");
    PlotPanel panel{"Liquidus temperatures by mineral", "Mineral", "T (°C)", {}, {}, {}};
    struct ModelColumn {
        int category;
        double offset;
        QString model;
        const ResultColumn* column;
    };
    // "T Ford83" followed by "Fo Ford83": the second names the mineral.
    const auto modelsOf = [&](const ResultTable& t) {
        std::vector<ModelColumn> models;
        for (std::size_t c = 0; c + 1 < t.columns.size(); ++c) {
            const QString name = QString::fromStdString(t.columns[c].name);
            const QString next = QString::fromStdString(t.columns[c + 1].name);
            if (!name.startsWith("T ")) continue;
            const QString model = name.mid(2);
            if (!next.endsWith(" " + model)) continue;
            const QString mineral = QString::fromStdString(
                mineralOfCompositionLabel(next.chopped(model.size() + 1).toStdString()));
            if (mineral.isEmpty()) continue;
            if (!panel.categories.contains(mineral)) panel.categories.append(mineral);
            models.push_back(
                {static_cast<int>(panel.categories.indexOf(mineral)), 0.0, model, &t.columns[c]});
        }
        // The models of a mineral side by side within its band.
        for (ModelColumn& m : models) {
            const auto same = std::count_if(models.begin(), models.end(), [&](const auto& o) {
                return o.category == m.category;
            });
            const auto before = std::count_if(models.begin(), models.end(), [&](const auto& o) {
                return o.category == m.category && &o < &m;
            });
            m.offset =
                -0.35 + 0.7 * (static_cast<double>(before) + 0.5) / static_cast<double>(same);
        }
        return models;
    };
    for (const Group& g : groups(tables)) {
        PlotSeries s{g.name, {}, SeriesStyle::Points};
        for (const ModelColumn& m : modelsOf(*g.table))
            for (std::size_t r = g.begin; r < g.end; ++r)
                if (m.column->values[r]) {
                    s.points.append(QPointF(m.category + m.offset, *m.column->values[r]));
                    s.labels.append(m.model);
                }
        panel.series.append(s);
    }
    return {panel};
}

// ---------------------------------------------------------------------------------------------

bool FeLossChart::suits(const ResultTable& table) {
    return table.kind == ResultKind::IronLoss;
}

QList<PlotPanel> FeLossChart::build(const Tables& all) {
    const Tables tables = suitable(all, suits);
    if (tables.empty()) nothingToShow("a Fe-loss reconstruction");
    PlotPanel panel{"Fe-loss reconstruction", "MgO (wt%)", "FeO* (wt%)", {}, {}, {}};
    for (const Group& g : groups(tables)) {
        const ResultColumn* x = g.table->column("MgO");
        const ResultColumn* y = g.table->column("FEO*");
        const ResultColumn* host = g.table->column("FO_Host");
        const ResultColumn* stage = g.table->column("No.");
        if (!x || !y) continue;
        PlotSeries s{g.name, points(*x, *y, g.begin, g.end)};
        for (std::size_t r = g.begin; r < g.end; ++r)
            if (x->values[r] && y->values[r])
                s.labels.append("No. " + QString::fromStdString(stage ? stage->texts[r] : ""));
        std::optional<double> fo;
        for (std::size_t r = g.begin; host && r < g.end && !fo; ++r)
            fo = host->values[r];
        if (fo && !s.points.isEmpty()) {
            // Adding or taking away host olivine moves the melt along the line through the
            // olivine; it is drawn across the melts' span only, the olivine lies far off.
            const QPointF olivine = olivineMgOFeO(*fo / 100.0);
            const QPointF melt = s.points.last();
            if (olivine.x() != melt.x()) {
                const double slope = (olivine.y() - melt.y()) / (olivine.x() - melt.x());
                double low = melt.x(), high = melt.x();
                for (const QPointF& p : s.points) {
                    low = std::min(low, p.x());
                    high = std::max(high, p.x());
                }
                const double pad = std::max(0.5, 0.2 * (high - low));
                PlotSeries line{
                    g.name + ": olivine control, host Fo" + QString::number(*fo, 'f', 2),
                    {},
                    SeriesStyle::Dashed};
                line.sameColour = true;
                for (const double at : {low - pad, high + pad})
                    line.points.append(QPointF(at, melt.y() + slope * (at - melt.x())));
                panel.series.append(s);
                panel.series.append(line);
                continue;
            }
        }
        panel.series.append(s);
    }
    return {panel};
}

// ---------------------------------------------------------------------------------------------

bool ProfileChart::suits(const ResultTable& table) {
    return table.kind == ResultKind::Profile || table.kind == ResultKind::CoolingProfiles;
}

QList<PlotPanel> ProfileChart::build(const Tables& all) {
    const Tables tables = suitable(all, suits);
    if (tables.empty()) nothingToShow("diffusion profiles");
    PlotPanel panel{
        "Diffusion profiles", "Distance from the inclusion wall (µm)", "FeO (wt%)", {}, {}, {}};
    for (const Group& g : groups(tables)) {
        const ResultTable& t = *g.table;
        const qsizetype first = panel.series.size();
        const QString prefix = tables.size() > 1 ? g.name + ": " : QString();
        const auto add = [&](const QString& name, const char* x, const char* y) {
            const ResultColumn* xc = t.column(x);
            const ResultColumn* yc = t.column(y);
            if (!xc || !yc || !hasValues(*yc)) return;
            // A zero is written as an empty field: the wall's distance is one.
            PlotSeries s{prefix + name, {}, SeriesStyle::Line};
            for (std::size_t r = g.begin; r < g.end; ++r)
                if (yc->values[r] && (xc->values[r] || xc->texts[r].empty()))
                    s.points.append(QPointF(xc->values[r].value_or(0.0), *yc->values[r]));
            panel.series.append(s);
        };
        if (t.kind == ResultKind::Profile) {
            add("Original rim", "OriginalRim_X", "OriginalRim_FeO");
            add("Start of diffusion", "FullProfile_X", "FullProfile_FeO_start");
            add("End of diffusion", "FullProfile_X", "Full_Profile_FeO_end");
            add("Reheated", "ReheatedProfile_X", "ReheatedProfile_FeO");
        } else {
            int steps = 0;
            while (t.column("Profile_X_" + std::to_string(steps + 1)))
                ++steps;
            for (int k = 1; k <= steps; ++k) {
                const std::string n = std::to_string(k);
                add("T step " + QString::number(k), ("Profile_X_" + n).c_str(),
                    ("Profile_FeO_" + n).c_str());
            }
            if (steps > 0)
                add("End", ("Profile_X_" + std::to_string(steps)).c_str(), "Profile_FeO_end");
        }
        // The files give the distance from the inclusion's centre; the wall (the innermost
        // point of the run, after the whole rim has grown) is the zero of the diagram.
        double wall = INFINITY;
        for (qsizetype i = first; i < panel.series.size(); ++i)
            for (const QPointF& p : panel.series[i].points)
                wall = std::min(wall, p.x());
        for (qsizetype i = first; i < panel.series.size(); ++i)
            for (QPointF& p : panel.series[i].points)
                p.rx() -= wall;
    }
    // The host far from the wall is flat: the axis ends a little beyond the last point that
    // still differs from it, so that the profile near the wall is not squeezed.
    double reach = 0.0;
    for (const PlotSeries& s : panel.series) {
        if (s.points.isEmpty()) continue;
        double low = s.points.front().y(), high = low;
        for (const QPointF& p : s.points) {
            low = std::min(low, p.y());
            high = std::max(high, p.y());
        }
        const double far = s.points.back().y();
        for (const QPointF& p : s.points)
            if (std::abs(p.y() - far) > 0.01 * (high - low)) reach = std::max(reach, p.x());
    }
    if (reach > 0.0) panel.xMax = 1.5 * reach;
    return {panel};
}

}  // namespace varnodel::ui::plots
