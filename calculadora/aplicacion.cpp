// SPDX-License-Identifier: GPL-3.0-or-later
#include "calculadora/aplicacion.h"

#include <QApplication>
#include <QFontDatabase>
#include <QIcon>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QStyleFactory>
#include <QStyleOptionFrame>
#include <QTranslator>

#include "resultados/colores.h"

// The resources live in a static library: their registration must be called
// by name, from outside any namespace.
static void RegistraRecursos() { Q_INIT_RESOURCE(ventana); }

namespace Vespalba {

namespace {

// The face the window was drawn for.
constexpr const char* kLetraPedida = "MS Sans Serif";

// Its size where the window gives none, in points (11 pixels at 96 dpi).
constexpr double kPuntosLetra = 8.25;

// Faces that may stand in for MS Sans Serif, in order of preference, with the
// narrowing (percent of normal width) that makes their widest words fit the
// boxes measured for MS Sans Serif ("Autor" in 25 pixels, "Año (AAAA)" in 56).
struct Sustituta {
    const char* familia;
    int anchura;
};
constexpr Sustituta kSustitutas[] = {
    {"Liberation Sans", 93},
    {"DejaVu Sans", 82},
};

}  // namespace

QFont LetraVentana() {
    QFont letra(QString::fromLatin1(kLetraPedida));
    letra.setPointSizeF(kPuntosLetra);
    if (QFontDatabase::hasFamily(QString::fromLatin1(kLetraPedida))) {
        return letra;
    }
    for (const Sustituta& s : kSustitutas) {
        if (QFontDatabase::hasFamily(QString::fromLatin1(s.familia))) {
            QFont::insertSubstitution(QString::fromLatin1(kLetraPedida),
                                      QString::fromLatin1(s.familia));
            letra.setStretch(s.anchura);
            return letra;
        }
    }
    return letra;
}

void PreparaAplicacion(QApplication& app) {
    RegistraRecursos();
    // The application name also serves as the display name (message box
    // captions); setting the display name itself would make Qt append it to
    // the window caption on X11.
    QApplication::setApplicationName(QStringLiteral("Vespalba"));
    // Matches the window to its desktop entry (vespalba.desktop) on Wayland.
    QGuiApplication::setDesktopFileName(QStringLiteral("vespalba"));

    // The classic style draws a frame's caption in its border and lays out
    // buttons and boxes as the window was designed for.
    if (QStyle* estilo = QStyleFactory::create(QStringLiteral("Windows"))) {
        QApplication::setStyle(estilo);
    }
    // The light colours the window was designed against, whatever the
    // desktop's: every role is set, so a dark desktop palette, at start or
    // after a change of theme, fills in none of them.
    QApplication::setPalette(PaletaVentana());

    auto* traductor = new QTranslator(&app);
    if (traductor->load(QLocale(QLocale::Spanish, QLocale::Spain), QStringLiteral("qtbase"),
                        QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(traductor);
    }

    QApplication::setWindowIcon(QIcon(QStringLiteral(":/vespalba/vespalba.png")));
    QApplication::setFont(LetraVentana());
}

int AnchoUtil(const QLineEdit& caja) {
    caja.ensurePolished();
    QStyleOptionFrame op;
    op.initFrom(&caja);
    op.rect = caja.rect();
    op.lineWidth =
        caja.hasFrame() ? caja.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &op, &caja) : 0;
    const QRect contenido = caja.style()->subElementRect(QStyle::SE_LineEditContents, &op, &caja);
    const QMargins margenes = caja.textMargins();
    // QLineEdit keeps 2 pixels free on each side of its text, a constant it
    // does not publish.
    constexpr int kMargenInterno = 2;
    return contenido.width() - margenes.left() - margenes.right() - 2 * kMargenInterno;
}

namespace {

// Narrows `control`'s letter until `texto` is at most `util` pixels wide.
void Estrecha(QWidget& control, const QString& texto, int util) {
    QFont letra = control.font();
    int anchura = letra.stretch() == QFont::AnyStretch ? 100 : letra.stretch();
    while (anchura > 50 && QFontMetrics(letra).horizontalAdvance(texto) > util) {
        letra.setStretch(--anchura);
    }
    if (letra != control.font()) {
        control.setFont(letra);
    }
}

}  // namespace

void EstrechaHastaCaber(QLineEdit& caja, const QString& texto) {
    caja.ensurePolished();  // the style sheet's letter, not the default one
    Estrecha(caja, texto, AnchoUtil(caja));
}

void EstrechaHastaCaber(QLabel& etiqueta, const QString& texto) {
    etiqueta.ensurePolished();
    Estrecha(etiqueta, texto, etiqueta.contentsRect().width() - 2 * etiqueta.margin());
}

}  // namespace Vespalba
