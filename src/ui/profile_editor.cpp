#include "ui/profile_editor.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>

#include "search/profile_file.h"
#include "ui/common.h"
#include "ui/qt_ui_port.h"

namespace orvi::ui {
namespace {

QLabel* Note(const char* text) {
  auto* label = new QLabel(Utf8(text));
  label->setWordWrap(true);
  return label;
}

std::string Lowered(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

int Number(const QLineEdit* edit) { return edit->text().trimmed().toInt(); }

// Multi-line texts are stored with CR LF; the edit works with LF.
QString ShownText(const std::string& text) { return ToQt(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")); }
std::string StoredText(const QString& text, size_t max) {
  QString t = text;
  t.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  return FromQt(t).substr(0, max);
}

// A slider whose moves write position x step into its edit.
void Couple(QSlider* slider, QLineEdit* edit, int step) {
  QObject::connect(slider, &QSlider::sliderMoved, edit, [edit, step](int v) { edit->setText(QString::number(v * step)); });
  QObject::connect(slider, &QSlider::valueChanged, edit, [slider, edit, step](int v) {
    // Keyboard and page steps move the slider without a drag.
    if (!slider->isSliderDown()) edit->setText(QString::number(v * step));
  });
}

void Load(QSlider* slider, QLineEdit* edit, int value, int step) {
  const QSignalBlocker block(slider);
  slider->setValue(value / step);
  edit->setText(QString::number(value));
}

// TGen, "Description".
class GenPage final : public EditorPage {
 public:
  static constexpr int kHelp = 101;
  explicit GenPage(ProfileEditor& e) : EditorPage(e, 40, QStringLiteral("Description")) {
    auto* box = MakeControl<QGroupBox>(0, Utf8("Instructions d'utilisation"));
    help_ = MakeControl<QPlainTextEdit>(kHelp);
    auto* l = new QVBoxLayout(box);
    l->addWidget(help_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(box);
    ApplyTabOrder();
  }
  void ToPage(const SearchProfile& p) override { help_->setPlainText(ShownText(p.HelpText)); }
  void FromPage(SearchProfile& p) const override { p.HelpText = StoredText(help_->toPlainText(), kHelpTextChars); }

 private:
  QPlainTextEdit* help_;
};

// TSais, "Saisie recherche".
class SaisPage final : public EditorPage {
 public:
  explicit SaisPage(ProfileEditor& e) : EditorPage(e, 41, QStringLiteral("Saisie recherche")) {
    auto* fields = MakeControl<QGroupBox>(0, QStringLiteral("Champs de saisie"));
    one_ = MakeControl<QRadioButton>(200, Utf8("Un champ de saisie (défaut)"));
    two_ = MakeControl<QRadioButton>(201, Utf8("Deux champs de saisie"));
    auto* l1 = MakeControl<QLabel>(0, Utf8("Intitulé de la 1ere saisie :"));
    lib1_ = MakeControl<QLineEdit>(202);
    lib1_->setMaxLength(static_cast<int>(kLabelChars));
    l1->setBuddy(lib1_);
    auto* l2 = MakeControl<QLabel>(0, Utf8("Intitulé de la 2eme saisie :"));
    lib2_ = MakeControl<QLineEdit>(203);
    lib2_->setMaxLength(static_cast<int>(kLabelChars));
    l2->setBuddy(lib2_);
    translate_ = MakeControl<QCheckBox>(
        101, Utf8("Proposer le bouton de traduction de la saisie (une seule saisie) en l'anglais"));
    auto* use = MakeControl<QGroupBox>(0, QStringLiteral("Utilisation de la saisie"));
    engines_ = MakeControl<QRadioButton>(
        210, Utf8("Le(s) champs de saisie sont utilisés pour interroger les moteurs de recherche (défaut)"));
    linksOnly_ = MakeControl<QRadioButton>(
        211, Utf8("Le(s) champs de saisie sont seulement utilisés pour repérer les liens dans les pages"));
    auto* g1 = new QButtonGroup(this);
    g1->addButton(one_);
    g1->addButton(two_);
    auto* g2 = new QButtonGroup(this);
    g2->addButton(engines_);
    g2->addButton(linksOnly_);

    auto* fl = new QGridLayout(fields);
    fl->addWidget(one_, 0, 0, 1, 2);
    fl->addWidget(two_, 1, 0, 1, 2);
    fl->addWidget(l1, 2, 0);
    fl->addWidget(lib1_, 2, 1);
    fl->addWidget(l2, 3, 0);
    fl->addWidget(lib2_, 3, 1);
    fl->addWidget(translate_, 4, 0, 1, 2);
    fl->addWidget(Note("En principe, un seul champ est saisi par l'utilisateur. Cependant, dans certains cas, il peut "
                       "être utile d'en utiliser 2. Dans ce cas, les moteurs de recherche recoivent 3 passes "
                       "d'interrogation :\n"
                       "- Une série de mots-clef combinés avec les deux saisies simultanément\n"
                       "- Une série de mots-clef combinés avec la 1ere saisie\n"
                       "- Une série de mots-clef combinés avec la 2eme saisie"),
                  5, 0, 1, 2);
    auto* ul = new QVBoxLayout(use);
    ul->addWidget(engines_);
    ul->addWidget(linksOnly_);
    ul->addWidget(Note("Le 1er choix est le choix par défaut pour une recherche normale. Le 2eme choix est "
                       "utilisable pour des modes de force brute (scanning des sites)"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fields);
    layout->addWidget(use);
    layout->addStretch();
    connect(one_, &QRadioButton::toggled, this, [this] { ApplyRule(); });
    ApplyTabOrder();
  }
  void ToPage(const SearchProfile& p) override {
    (p.LibS2.empty() ? one_ : two_)->setChecked(true);
    lib1_->setText(ToQt(p.LibS1));
    lib2_->setText(ToQt(p.LibS2));
    translate_->setChecked(p.Translate && p.LibS2.empty());
    (p.FindS ? engines_ : linksOnly_)->setChecked(true);
    ApplyRule();
  }
  void FromPage(SearchProfile& p) const override {
    p.LibS1 = FromQt(lib1_->text()).substr(0, kLabelChars);
    p.LibS2 = FromQt(lib2_->text()).substr(0, kLabelChars);
    p.Translate = translate_->isChecked();
    p.FindS = engines_->isChecked();
  }

 private:
  void ApplyRule() {
    const bool two = two_->isChecked();
    lib2_->setEnabled(two);
    if (!two) lib2_->clear();
    translate_->setEnabled(!two);
    if (two) translate_->setChecked(false);
  }
  QRadioButton *one_, *two_, *engines_, *linksOnly_;
  QLineEdit *lib1_, *lib2_;
  QCheckBox* translate_;
};

// TExp, "Exploration web".
class ExpPage final : public EditorPage {
 public:
  static constexpr int kAddStep = 200;
  static constexpr int kDomainStep = 4;
  explicit ExpPage(ProfileEditor& e) : EditorPage(e, 42, QStringLiteral("Exploration web")) {
    auto* exploration = MakeControl<QGroupBox>(0, QStringLiteral("Exploration "));
    addLinks_ = MakeControl<QCheckBox>(300, Utf8("Ajouter et explorer les liens trouvés proches de la saisie sur les pages (défaut)"));
    auto* distanceLabel = MakeControl<QLabel>(0, QStringLiteral("Distance des liens autour de la chaine :"));
    distance_ = MakeControl<QSlider>(101, Qt::Horizontal);
    distance_->setRange(2, 15);
    distance_->setPageStep(1);
    distanceEdit_ = MakeControl<QLineEdit>(102);
    distanceEdit_->setValidator(new QIntValidator(0, 99999, distanceEdit_));
    distanceEdit_->setFixedWidth(60);
    distanceLabel->setBuddy(distance_);
    auto* termsLabel = MakeControl<QLabel>(
        0, Utf8("Explorer également les liens (internes au site) mentionnant un des termes"));
    terms_ = MakeControl<QLineEdit>(104);
    terms_->setMaxLength(static_cast<int>(kSlnkChars));
    termsLabel->setBuddy(terms_);
    auto* separate = MakeControl<QLabel>(0, Utf8("séparer par des virgules"));
    urlFirst_ = MakeControl<QCheckBox>(107, Utf8("Analyser en priorité les url contenant ces termes"));
    cache_ = MakeControl<QCheckBox>(301, Utf8("Permettre l'utilisation des pages-cache de Google"));
    date_ = MakeControl<QCheckBox>(103, Utf8("Vérifier la date des pages avant de les charger:"));
    months_ = MakeControl<QLineEdit>(105);
    months_->setValidator(new QIntValidator(0, 9999, months_));
    months_->setFixedWidth(40);
    auto* monthsLabel = MakeControl<QLabel>(0, Utf8("mois d'ancienneté max"));
    news_ = MakeControl<QCheckBox>(106, Utf8("Filtrer les archives, news, boards et autres URL de ce type"));
    auto* domains = MakeControl<QGroupBox>(0, QStringLiteral("Limitation de domaines"));
    domainSlider_ = MakeControl<QSlider>(303, Qt::Horizontal);
    domainSlider_->setRange(2, 16);
    domainSlider_->setPageStep(1);
    domainEdit_ = MakeControl<QLineEdit>(302);
    domainEdit_->setValidator(new QIntValidator(0, 9999, domainEdit_));
    domainEdit_->setFixedWidth(60);

    auto* el = new QGridLayout(exploration);
    el->addWidget(addLinks_, 0, 0, 1, 3);
    el->addWidget(Note("Cette option permet  à ORVI d'ajouter de nouvelles pages à explorer lorsqu'il rencontre dans "
                       "une page des liens qui sont proches de la chaine de saisie cible."),
                  1, 0, 1, 3);
    el->addWidget(distanceLabel, 2, 0);
    el->addWidget(distance_, 2, 1);
    el->addWidget(distanceEdit_, 2, 2);
    el->addWidget(termsLabel, 3, 0, 1, 3);
    el->addWidget(terms_, 4, 0, 1, 2);
    el->addWidget(separate, 4, 2);
    el->addWidget(urlFirst_, 5, 0, 1, 3);
    el->addWidget(cache_, 6, 0, 1, 3);
    el->addWidget(Note("Lorsqu'une page trouvée par Google n'est plus accessible ou que son contenu a changé (chaine "
                       "cherchée absente), orvi utilisera la page en mémoire-cache de Google."),
                  7, 0, 1, 3);
    auto* dateRow = new QHBoxLayout;
    dateRow->addWidget(date_);
    dateRow->addWidget(months_);
    dateRow->addWidget(monthsLabel);
    dateRow->addStretch();
    el->addLayout(dateRow, 8, 0, 1, 3);
    el->addWidget(news_, 9, 0, 1, 3);
    el->setColumnStretch(1, 1);

    auto* dl = new QGridLayout(domains);
    dl->addWidget(Note("Nombre maximum de pages explorées par nom de domaine : ce filtre évite de perdre du temps "
                       "lorsque les moteurs listent un très grand nombre de pages d'un même site (les pages "
                       "personnelles d'un hébergeur gratuit, par exemple)."),
                  0, 0, 1, 4);
    auto* ends = new QHBoxLayout;
    ends->addWidget(new QLabel(QStringLiteral("faible")));
    ends->addStretch();
    ends->addWidget(new QLabel(QStringLiteral("moyen")));
    ends->addStretch();
    ends->addWidget(new QLabel(Utf8("élevé")));
    dl->addWidget(domainSlider_, 1, 0, 1, 3);
    dl->addWidget(domainEdit_, 1, 3);
    dl->addLayout(ends, 2, 0, 1, 3);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(exploration);
    layout->addWidget(domains);
    layout->addStretch();

    Couple(distance_, distanceEdit_, kAddStep);
    Couple(domainSlider_, domainEdit_, kDomainStep);
    connect(addLinks_, &QCheckBox::toggled, this, [this] { ApplyRules(); });
    connect(date_, &QCheckBox::toggled, this, [this](bool on) {
      if (on && Number(months_) == 0) months_->setText(QStringLiteral("1"));
      ApplyRules();
    });
    ApplyTabOrder();
  }
  void ToPage(const SearchProfile& p) override {
    addLinks_->setEnabled(!editor_.Systematic());
    addLinks_->setChecked(p.AjourURL && !p.ExtractAll);
    Load(distance_, distanceEdit_, p.AddLinkAway, kAddStep);
    terms_->setText(ToQt(p.Slnk));
    urlFirst_->setChecked(p.URLKeysFirst);
    cache_->setChecked(p.GoogleCache);
    {
      const QSignalBlocker block(date_);
      date_->setChecked(p.DateLimit != 0);
    }
    months_->setText(QString::number(p.DateLimit));
    news_->setChecked(!p.EnableNews);
    Load(domainSlider_, domainEdit_, p.MaxDomains, kDomainStep);
    ApplyRules();
  }
  void FromPage(SearchProfile& p) const override {
    p.AjourURL = addLinks_->isChecked();
    p.AddLinkAway = Number(distanceEdit_);
    p.Slnk = Lowered(FromQt(terms_->text()).substr(0, kSlnkChars));
    p.URLKeysFirst = urlFirst_->isChecked() && !p.Slnk.empty();
    p.GoogleCache = cache_->isChecked();
    p.DateLimit = date_->isChecked() ? Number(months_) : 0;
    p.EnableNews = !news_->isChecked();
    p.MaxDomains = Number(domainEdit_);
  }
  void Activated() override {
    addLinks_->setEnabled(!editor_.Systematic());
    if (editor_.Systematic()) addLinks_->setChecked(false);
    ApplyRules();
  }

 private:
  void ApplyRules() {
    const bool add = addLinks_->isChecked();
    distance_->setEnabled(add);
    distanceEdit_->setEnabled(add);
    terms_->setEnabled(add);
    months_->setEnabled(date_->isChecked());
  }
  QCheckBox *addLinks_, *urlFirst_, *cache_, *date_, *news_;
  QSlider *distance_, *domainSlider_;
  QLineEdit *distanceEdit_, *terms_, *months_, *domainEdit_;
};

// TFiles, "Paramètres fichiers".
class FilesPage final : public EditorPage {
 public:
  static constexpr int kDistanceStep = 200;
  explicit FilesPage(ProfileEditor& e) : EditorPage(e, 43, Utf8("Paramètres fichiers")) {
    auto* types = MakeControl<QGroupBox>(0, QStringLiteral("Type de fichiers"));
    zip_ = MakeControl<QCheckBox>(400, QStringLiteral("Zip"));
    archiv_ = MakeControl<QCheckBox>(401, QStringLiteral("Rar, Ace"));
    sad_ = MakeControl<QCheckBox>(105, Utf8("Activer S.A.D (smart archive détection)"));
    exe_ = MakeControl<QCheckBox>(402, Utf8("Exe (exécutables)"));
    servers_ = MakeControl<QCheckBox>(403, QStringLiteral("Serveurs: idrive, myspace ..."));
    auto* extLabel = MakeControl<QLabel>(0, Utf8("Autres types (extensions séparées par une virgule)"));
    extensions_ = MakeControl<QLineEdit>(404);
    extensions_->setMaxLength(119);
    extLabel->setBuddy(extensions_);
    withExt_ = MakeControl<QCheckBox>(405, Utf8("La saisie est un nom de fichier avec extension"));
    auto* position = MakeControl<QGroupBox>(0, Utf8("Sélection des fichiers: Position"));
    auto* groupsLabel = MakeControl<QLabel>(0, Utf8("Ne retenir que les groupes de fichiers (archives) :"));
    minFiles_ = MakeControl<QLineEdit>(406);
    minFiles_->setValidator(new QIntValidator(0, 9999, minFiles_));
    minFiles_->setFixedWidth(40);
    groupsLabel->setBuddy(minFiles_);
    selective_ = MakeControl<QRadioButton>(410, Utf8("Mode sélectif (défaut)"));
    systematic_ = MakeControl<QRadioButton>(411, Utf8("Mode systématique"));
    auto* distanceLabel = MakeControl<QLabel>(0, QStringLiteral("Distance :"));
    distance_ = MakeControl<QSlider>(102, Qt::Horizontal);
    distance_->setRange(5, 20);
    distance_->setPageStep(1);
    distanceEdit_ = MakeControl<QLineEdit>(103);
    distanceEdit_->setValidator(new QIntValidator(0, 99999, distanceEdit_));
    distanceEdit_->setFixedWidth(60);
    distanceLabel->setBuddy(distance_);
    sdm_ = MakeControl<QCheckBox>(101, Utf8("Activer S.D.M (scoring detection mode)"));
    auto* names = MakeControl<QGroupBox>(0, Utf8("Sélection des fichiers: Noms"));
    anonymous_ = MakeControl<QRadioButton>(420, QStringLiteral("Mode \"anonyme\""));
    near_ = MakeControl<QRadioButton>(421, Utf8("Mode \"approché\""));
    strict_ = MakeControl<QRadioButton>(422, QStringLiteral("Mode \"strict\""));
    auto* g1 = new QButtonGroup(this);
    g1->addButton(selective_);
    g1->addButton(systematic_);
    auto* g2 = new QButtonGroup(this);
    g2->addButton(anonymous_);
    g2->addButton(near_);
    g2->addButton(strict_);

    auto* tl = new QGridLayout(types);
    // Two rows, so that "Serveurs: idrive, myspace ..." is never cut.
    tl->addWidget(zip_, 0, 0);
    tl->addWidget(archiv_, 0, 1);
    tl->addWidget(exe_, 1, 0);
    tl->addWidget(servers_, 1, 1, 1, 3);
    tl->addWidget(sad_, 2, 0, 1, 4);
    tl->addWidget(Note("Détection automatique d'archives (zip-rar-ace...) sans analyse de l'extension des fichiers"),
                  3, 0, 1, 4);
    tl->addWidget(extLabel, 4, 0, 1, 4);
    tl->addWidget(extensions_, 5, 0, 1, 4);
    tl->addWidget(withExt_, 6, 0, 1, 4);
    auto* minRow = new QHBoxLayout;
    minRow->addWidget(groupsLabel);
    minRow->addWidget(minFiles_);
    minRow->addWidget(new QLabel(QStringLiteral("fichiers minimum")));
    minRow->addStretch();
    tl->addLayout(minRow, 7, 0, 1, 4);
    tl->setColumnStretch(3, 1);

    auto* pl = new QGridLayout(position);
    pl->addWidget(selective_, 0, 0);
    pl->addWidget(systematic_, 0, 1, 1, 2);
    pl->addWidget(distanceLabel, 1, 0);
    pl->addWidget(distance_, 1, 1);
    pl->addWidget(distanceEdit_, 1, 2);
    pl->addWidget(sdm_, 2, 0, 1, 3);
    pl->addWidget(Note("Recommandé pour la recherche de logiciels"), 3, 0, 1, 3);
    pl->setColumnStretch(1, 1);

    auto* nl = new QHBoxLayout(names);
    nl->addWidget(anonymous_);
    nl->addWidget(near_);
    nl->addWidget(strict_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(types);
    layout->addWidget(position);
    layout->addWidget(names);
    layout->addStretch();

    Couple(distance_, distanceEdit_, kDistanceStep);
    connect(zip_, &QCheckBox::toggled, this, [this] { ApplyRules(); });
    connect(archiv_, &QCheckBox::toggled, this, [this] { ApplyRules(); });
    connect(systematic_, &QRadioButton::toggled, this, [this](bool on) {
      editor_.SetSystematic(on);
      ApplyRules();
    });
    ApplyTabOrder();
  }
  void ToPage(const SearchProfile& p) override {
    zip_->setChecked(p.Zip);
    archiv_->setChecked(p.Archiv);
    sad_->setChecked(p.SAD);
    exe_->setChecked(p.Exe);
    servers_->setChecked(p.Serveurs);
    extensions_->setText(ToQt(JoinExtensions(p)));
    withExt_->setChecked(p.AddExtSais);
    minFiles_->setText(QString::number(p.MinFiles));
    {
      const QSignalBlocker block(systematic_);
      (p.ExtractAll ? systematic_ : selective_)->setChecked(true);
    }
    Load(distance_, distanceEdit_, p.FilesAway, kDistanceStep);
    sdm_->setChecked(p.SDM);
    (p.FileNameMode == 2 ? strict_ : p.FileNameMode == 1 ? near_ : anonymous_)->setChecked(true);
    ApplyRules();
  }
  void FromPage(SearchProfile& p) const override {
    p.Zip = zip_->isChecked();
    p.Archiv = archiv_->isChecked();
    p.SAD = sad_->isChecked();
    p.Exe = exe_->isChecked();
    p.Serveurs = servers_->isChecked();
    SplitExtensions(FromQt(extensions_->text()), p);
    p.AddExtSais = withExt_->isChecked();
    p.MinFiles = Number(minFiles_);
    p.ExtractAll = systematic_->isChecked();
    p.FilesAway = Number(distanceEdit_);
    p.SDM = sdm_->isChecked();
    p.FileNameMode = strict_->isChecked() ? 2 : near_->isChecked() ? 1 : 0;
  }

 private:
  void ApplyRules() {
    const bool archives = zip_->isChecked() || archiv_->isChecked();
    sad_->setEnabled(archives);
    if (!archives) sad_->setChecked(false);
    const bool systematic = systematic_->isChecked();
    distance_->setEnabled(!systematic);
    distanceEdit_->setEnabled(!systematic);
    sdm_->setEnabled(!systematic);
    if (systematic) sdm_->setChecked(false);
  }
  QCheckBox *zip_, *archiv_, *sad_, *exe_, *servers_, *withExt_, *sdm_;
  QLineEdit *extensions_, *minFiles_, *distanceEdit_;
  QRadioButton *selective_, *systematic_, *anonymous_, *near_, *strict_;
  QSlider* distance_;
};

// TMot, "Moteurs de recherche".
class MotPage final : public EditorPage {
 public:
  explicit MotPage(ProfileEditor& editor) : EditorPage(editor, 44, QStringLiteral("Moteurs de recherche")) {
    auto* keys = MakeControl<QGroupBox>(0, QStringLiteral("Mots clefs moteurs "));
    auto* grid = new QGridLayout(keys);
    grid->setVerticalSpacing(2);
    // The table order: the ten rows, then each engine's column.
    for (int r = 0; r < SearchProfile::kKeyRows; ++r) {
      auto* edit = MakeControl<QLineEdit>(500 + r);
      edit->setMaxLength(static_cast<int>(kKeyRowChars));
      keys_[static_cast<size_t>(r)] = edit;
      grid->addWidget(new QLabel(QString::number(r + 1)), r, 0, Qt::AlignRight);
      grid->addWidget(edit, r, 1);
    }
    const char* letters[] = {"G", "F", "W"};
    for (int e = 0; e < 3; ++e) {
      for (int r = 0; r < SearchProfile::kKeyRows; ++r) {
        auto* box = MakeControl<QCheckBox>(600 + 100 * e + r, QString::fromLatin1(letters[e]));
        boxes_[static_cast<size_t>(e)][static_cast<size_t>(r)] = box;
        grid->addWidget(box, r, 2 + e);
      }
    }
    grid->setColumnStretch(1, 1);
    auto* legend = new QHBoxLayout;
    legend->setSpacing(24);
    for (const char* text : {"G = Google", "F = Fast", "W = WiseNut"}) legend->addWidget(new QLabel(QString::fromLatin1(text)));
    legend->addStretch();
    grid->addLayout(legend, SearchProfile::kKeyRows, 1, 1, 4);
    auto* filter = MakeControl<QGroupBox>(0, QStringLiteral("Filtrage supplémentaire "));
    sex_ = MakeControl<QCheckBox>(
        750, QStringLiteral("Filtre spécifique Fast/WiseNut  (évite de récupérer des sites X dans certains types de recherche)"));
    auto* fl = new QVBoxLayout(filter);
    fl->addWidget(sex_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Note("Les moteurs de recherches sont interrogés avec une combinaison de votre saisie cible et "
                           "des mots-clefs ci-dessus. J'usqu'à 10 \"passes\" peuvent être effectuées."));
    layout->addWidget(Note("Une règle d'or: commencer toujours par la combinaison la plus sélective (celle qui "
                           "donnera le moins de résultats mais qui sera la plus ciblée)"));
    layout->addWidget(keys);
    layout->addWidget(filter);
    layout->addStretch();
    ApplyTabOrder();
  }
  void ToPage(const SearchProfile& p) override {
    const int32_t masks[] = {p.GoogleUse, p.AtwUse, p.WiseUse};
    for (size_t r = 0; r < keys_.size(); ++r) {
      keys_[r]->setText(ToQt(p.Keys[r]));
      for (size_t e = 0; e < 3; ++e) boxes_[e][r]->setChecked((static_cast<uint32_t>(masks[e]) >> r) & 1u);
    }
    sex_->setChecked(p.SexFilter);
  }
  void FromPage(SearchProfile& p) const override {
    int32_t* masks[] = {&p.GoogleUse, &p.AtwUse, &p.WiseUse};
    for (size_t e = 0; e < 3; ++e) {
      uint32_t mask = 0;
      for (size_t r = 0; r < keys_.size(); ++r) mask |= (boxes_[e][r]->isChecked() ? 1u : 0u) << r;
      *masks[e] = static_cast<int32_t>(mask);
    }
    for (size_t r = 0; r < keys_.size(); ++r) p.Keys[r] = FromQt(keys_[r]->text()).substr(0, kKeyRowChars);
    p.SexFilter = sex_->isChecked();
  }

 private:
  std::array<QLineEdit*, SearchProfile::kKeyRows> keys_{};
  std::array<std::array<QCheckBox*, SearchProfile::kKeyRows>, 3> boxes_{};
  QCheckBox* sex_;
};

}  // namespace

EditorPage::EditorPage(ProfileEditor& editor, int windowId, const QString& title)
    : editor_(editor), windowId_(windowId), title_(title) {
  setObjectName(QStringLiteral("page%1").arg(windowId));
  PaintBackground(this, editor.ctx().settings.ColorProfil);
}

SearchProfile NewProfileDefaults() {
  SearchProfile p;
  p.GoogleUse = p.AtwUse = p.WiseUse = -1;
  p.MaxDomains = 32;
  p.MinFiles = 1;
  p.FindS = true;
  return p;
}

ProfileEditor* ProfileEditor::Open(GuiEnv& env, QWidget* parent, const std::string& name,
                                   std::function<void()> closed) {
  auto* editor = new ProfileEditor(env, parent, name, std::move(closed));
  editor->show();
  if (editor->name_.empty()) {
    QTimer::singleShot(0, editor, [editor] { editor->commands_.Execute(kOpen); });
  }
  return editor;
}

ProfileEditor::ProfileEditor(GuiEnv& env, QWidget* parent, std::string name, std::function<void()> closed)
    : QWidget(parent, Qt::Tool), env_(env), name_(std::move(name)), closed_(std::move(closed)) {
  setObjectName(QStringLiteral("TFF"));
  setAttribute(Qt::WA_DeleteOnClose);
  sheet_ = new QTabWidget;
  sheet_->setObjectName(QStringLiteral("TPSprop"));
  pages_ = {new GenPage(*this), new SaisPage(*this), new ExpPage(*this), new FilesPage(*this), new MotPage(*this)};
  for (EditorPage* page : pages_) sheet_->addTab(page, page->Title());
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  BuildMenu();
  layout->setMenuBar(menuBar_);
  layout->addWidget(sheet_);
  connect(sheet_, &QTabWidget::currentChanged, this, &ProfileEditor::OnTabShown);
  Load();
  OnTabShown(sheet_->currentIndex());
  adjustSize();
}

ProfileEditor::~ProfileEditor() {
  if (closed_) closed_();
}

void ProfileEditor::BuildMenu() {
  menuBar_ = new QMenuBar(this);
  auto item = [this](int id, const char* text) {
    QAction* a = menuBar_->addAction(Utf8(text));
    commands_.Bind(a, id);
    return a;
  };
  commands_.Add(kOpen, [this] { OpenFile(); });
  commands_.Add(kNew, [this] {
    name_.clear();
    Load();
  });
  commands_.Add(kSave, [this] { Save(); });
  commands_.Add(kSaveAs, [this] { SaveAs(); });
  commands_.Add(kDelete, [this] { Delete(); });
  commands_.Add(kClose, [this] { QTimer::singleShot(0, this, [this] { close(); }); });
  item(kOpen, " Ouvrir ");
  item(kNew, " Nouveau ");
  item(kSave, " Sauvegarder ");
  item(kSaveAs, " Sauvegarder sous ");
  item(kDelete, " D\xC3\xA9truire ! ");
  // The last item stands at the right of the bar.
  auto* right = new QMenuBar(menuBar_);
  QAction* close = right->addAction(Utf8("   Fermer"));
  commands_.Bind(close, kClose);
  menuBar_->setCornerWidget(right, Qt::TopRightCorner);
}

void ProfileEditor::ShowPage(int index) { sheet_->setCurrentIndex(index); OnTabShown(index); }

void ProfileEditor::OnTabShown(int index) {
  if (index < 0 || index >= kPageCount) return;
  EditorPage* page = pages_[static_cast<size_t>(index)];
  if (!page->Made()) {
    page->MarkMade();
    page->ToPage(env_.ctx.editorProfile);
  }
  page->Activated();
}

void ProfileEditor::Load() {
  Context& ctx = env_.ctx;
  setWindowTitle(ToQt("Profil : " + name_));
  ctx.editorProfile = name_.empty() ? NewProfileDefaults() : LoadSearchProfile(ProfilePath(ctx.AppFolder, name_));
  systematic_ = ctx.editorProfile.ExtractAll;
  for (EditorPage* page : pages_) {
    if (page->Made()) page->ToPage(ctx.editorProfile);
  }
}

QString ProfileEditor::ProfilsFolder() const {
  return QString::fromLocal8Bit((env_.ctx.AppFolder + "Profils").c_str());
}

std::optional<std::string> ProfileEditor::NameOfFile(const QString& path) {
  const QString folder = QDir(ProfilsFolder()).absolutePath() + QLatin1Char('/');
  const QString file = QFileInfo(path).absoluteFilePath();
  const char* refusal = nullptr;
  if (!file.startsWith(folder)) {
    refusal = "Un profil doit se trouver dans le dossier Profils (ou l'un de ses sous-dossiers).";
  } else if (!file.endsWith(QStringLiteral(".ini")) || file.size() == folder.size() + 4) {
    refusal = "Un profil est un fichier d'extension .ini.";
  }
  if (refusal != nullptr) {
    QtUiPort::RunMessageBox(this, {std::string(refusal) + "\r\nLe profil n'a pas \xE9t\xE9 chang\xE9.", "ORVI",
                                   MsgIcon::Warning, MsgButtons::Ok});
    return std::nullopt;
  }
  const QString relative = file.mid(folder.size() - 1, file.size() - folder.size() + 1 - 4);
  return QFile::encodeName(relative).toStdString();
}

namespace {

QFileDialog* ProfileDialog(QWidget* parent, const QString& folder, bool save) {
  auto* dialog = new QFileDialog(parent,
                                 save ? QStringLiteral("Sauvegarder un profil de recherche")
                                      : QStringLiteral("Charger un profil de recherche"),
                                 folder, QStringLiteral("fichiers ini (*.ini)"));
  // Wide enough for the French column titles.
  dialog->resize(820, 480);
  dialog->setObjectName(save ? QStringLiteral("SaveProfileDialog") : QStringLiteral("OpenProfileDialog"));
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  dialog->setAttribute(Qt::WA_DeleteOnClose, false);
  dialog->setDefaultSuffix(QStringLiteral("ini"));
  dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog->setOption(QFileDialog::ReadOnly, false);
  return dialog;
}

}  // namespace

void ProfileEditor::OpenFile() {
  std::unique_ptr<QFileDialog> dialog(ProfileDialog(this, ProfilsFolder(), false));
  if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return;
  std::optional<std::string> name = NameOfFile(dialog->selectedFiles().front());
  if (!name) return;
  name_ = *name;
  Load();
}

void ProfileEditor::SaveTo(const std::string& name) {
  Context& ctx = env_.ctx;
  for (EditorPage* page : pages_) {
    if (page->Made()) page->FromPage(ctx.editorProfile);
  }
  const std::string path = ProfilePath(ctx.AppFolder, name);
  if (!SaveSearchProfile(path, ctx.editorProfile)) {
    // Saying nothing would let the user believe the changes are kept.
    QtUiPort::RunMessageBox(this, {"Le profil n'a pas pu \xEAtre enregistr\xE9 :\r\n" + path, "ORVI",
                                   MsgIcon::Error, MsgButtons::Ok});
  }
}

void ProfileEditor::Save() {
  if (name_.empty()) {
    SaveAs();
    return;
  }
  SaveTo(name_);
}

void ProfileEditor::SaveAs() {
  std::unique_ptr<QFileDialog> dialog(ProfileDialog(this, ProfilsFolder(), true));
  if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return;
  std::optional<std::string> name = NameOfFile(dialog->selectedFiles().front());
  if (!name) return;
  name_ = *name;
  SaveTo(name_);
  setWindowTitle(ToQt("Profil : " + name_));
}

void ProfileEditor::Delete() {
  const MessageSpec question{"Voulez-vous supprimer d\xE9" "finitivement cette recherche ?", "Supprimer un fichier",
                             MsgIcon::Question, MsgButtons::YesNo, MsgAnswer::No};
  if (QtUiPort::RunMessageBox(this, question) != MsgAnswer::Yes) return;
  if (!name_.empty()) std::remove(ProfilePath(env_.ctx.AppFolder, name_).c_str());
  name_.clear();
  Load();
}

}  // namespace orvi::ui
