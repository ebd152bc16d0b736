// SPDX-License-Identifier: GPL-3.0-or-later
// vespalba-tabla's drawings run as a user runs them, without a display: the
// PDF's text against the text format's rows, the pages, the SVG's and the
// PNG's form, the output file of --salida, the refusal to write binary
// output to a terminal, and that a text run never loads Qt Gui.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <unistd.h>

#include <filesystem>

namespace {

struct Ejecucion {
    int estado = -1;
    QByteArray salida;
    QByteArray errores;
};

// The environment of a machine without a display nor Qt settings (cron, SSH).
QProcessEnvironment SinPantalla() {
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_RUNTIME_DIR"}) {
        e.remove(QString::fromLatin1(v));
    }
    return e;
}

Ejecucion Corre(const QString& programa, const QStringList& argumentos,
                const QProcessEnvironment& entorno = SinPantalla()) {
    QProcess p;
    p.setProcessEnvironment(entorno);
    p.start(programa, argumentos);
    Ejecucion e;
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit) {
        ADD_FAILURE() << programa.toStdString()
                      << " did not end normally: " << argumentos.join(' ').toStdString();
        return e;
    }
    e.estado = p.exitCode();
    e.salida = p.readAllStandardOutput();
    e.errores = p.readAllStandardError();
    return e;
}

Ejecucion Tabla(const QStringList& argumentos, const QProcessEnvironment& entorno = SinPantalla()) {
    return Corre(QStringLiteral(VESPALBA_TABLA), argumentos, entorno);
}

QByteArray Lee(const QString& ruta) {
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void Escribe(const QString& ruta, const QByteArray& contenido) {
    QFile f(ruta);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(contenido), contenido.size());
}

QStringList Palabras(const QString& linea) {
    return linea.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
}

// ----------------------------------------------------------------- PDF

struct MesPdf {
    const char* nombre;
    QStringList orden;
};

void PrintTo(const MesPdf& m, std::ostream* os) { *os << m.nombre; }

class PdfDeUnMes : public testing::TestWithParam<MesPdf> {};

// Every row of the text format (a line starting with a date) is a line of
// the PDF's text with the same words in the same order; so is every note of
// a clock change. The dark box of a dawn that does not come is text's
// shading and the page's dark box: no word in the PDF.
TEST_P(PdfDeUnMes, LasMismasHorasYPalabrasQueElTexto) {
    const MesPdf& m = GetParam();
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("mes.pdf"));
    const Ejecucion texto = Tabla(m.orden);
    ASSERT_EQ(texto.estado, 0) << texto.errores.toStdString();
    const Ejecucion dibujo = Tabla(m.orden + QStringList{"--formato", "pdf", "--salida", pdf});
    ASSERT_EQ(dibujo.estado, 0) << dibujo.errores.toStdString();
    EXPECT_TRUE(dibujo.salida.isEmpty());
    EXPECT_TRUE(dibujo.errores.isEmpty()) << dibujo.errores.toStdString();
    const Ejecucion extraido = Corre(QStringLiteral(VESPALBA_PDFTOTEXT), {"-layout", pdf, "-"});
    ASSERT_EQ(extraido.estado, 0);
    const QStringList lineasPdf = QString::fromUtf8(extraido.salida).split(QLatin1Char('\n'));

    static const QRegularExpression fila(QStringLiteral("^(\\d{4}-\\d\\d-\\d\\d)\\s"));
    int filas = 0;
    int notas = 0;
    const QStringList lineasTexto = QString::fromUtf8(texto.salida).split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lineasTexto.size(); ++i) {
        const QString& linea = lineasTexto[i];
        const QRegularExpressionMatch f = fila.match(linea);
        const bool nota = linea.startsWith(QStringLiteral("* "));
        if (!f.hasMatch() && !nota) continue;
        const QString clave = nota ? linea : f.captured(1);
        QStringList esperadas;
        for (const QString& p : Palabras(linea)) {
            if (!p.contains(QChar(0x2593))) esperadas << p;
        }
        // A notice too long for the text's line is on the next one, under
        // the row: on the page it ends the row.
        if (!nota && i + 1 < lineasTexto.size() &&
            lineasTexto[i + 1].startsWith(QString(12, QLatin1Char(' '))) &&
            !lineasTexto[i + 1].trimmed().isEmpty() &&
            !fila.match(lineasTexto[i + 1].trimmed()).hasMatch()) {
            esperadas << Palabras(lineasTexto[i + 1]);
        }
        QStringList vistas;
        for (const QString& l : lineasPdf) {
            if (l.trimmed().startsWith(clave)) vistas << l;
        }
        ASSERT_EQ(vistas.size(), 1) << clave.toStdString();
        EXPECT_EQ(Palabras(vistas.front()), esperadas) << vistas.front().toStdString();
        (nota ? notas : filas) += 1;
    }
    EXPECT_GE(filas, 28);
    // The legend explains the abbreviated titles and the Moon's column.
    const QString plano = Palabras(QString::fromUtf8(extraido.salida)).join(QLatin1Char(' '));
    for (const char* leyenda : {"Civil, Náutico, Astronómico: los crepúsculos",
                                "Luz ±: las horas de luz menos las del día anterior.",
                                "LL: luna llena.", "con los segundos"}) {
        EXPECT_TRUE(plano.contains(Palabras(QString::fromUtf8(leyenda)).join(QLatin1Char(' '))))
            << leyenda;
    }
    EXPECT_EQ(notas, m.orden.contains(QStringLiteral("America/Santiago")) ? 1 : 0);
}

const MesPdf mesesPdf[] = {
    // September 2026 in Santiago: the clock goes forward on the 6th.
    {"CambioDeHora_Valparaiso_2026_09",
     {"--lugar", "valparaiso", "--tz", "America/Santiago", "--mes", "2026-09"}},
    // Polar night at 74 N: dark boxes, "Bajo horizonte", the status words.
    {"NochePolar_74N_2003_12", {"--lat", "74", "--lon", "0", "--zona", "0", "--mes", "2003-12"}},
};
INSTANTIATE_TEST_SUITE_P(Meses, PdfDeUnMes, testing::ValuesIn(mesesPdf));

int Paginas(const QString& pdf, QString* tamano = nullptr) {
    const Ejecucion info = Corre(QStringLiteral(VESPALBA_PDFINFO), {pdf});
    const QString texto = QString::fromUtf8(info.salida);
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(texto);
    if (tamano != nullptr) {
        *tamano =
            QRegularExpression(QStringLiteral("Page size:\\s+([^\\n]+)")).match(texto).captured(1);
    }
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// A year: the chart then twelve months; any other range, its months; the
// paper as asked (points: A4 595 x 842, Letter 612 x 792, either way up).
TEST(Pdf, PaginasYPapel) {
    const struct {
        QStringList orden;
        int paginas;
        const char* papel;
    } casos[] = {
        {{"--anio", "2026"}, 13, "595 x 842|842 x 595"},
        {{"--anio", "2026", "--papel", "carta", "--luna"}, 13, "612 x 792|792 x 612"},
        {{"--desde", "2026-01-30", "--hasta", "2026-03-02"}, 3, "595 x 842|842 x 595"},
        {{"--mes", "2026-02", "--papel", "carta"}, 1, "612 x 792|792 x 612"},
    };
    QTemporaryDir dir;
    for (const auto& c : casos) {
        SCOPED_TRACE(c.orden.join(' ').toStdString());
        const QString pdf = dir.filePath(QStringLiteral("x.pdf"));
        const Ejecucion e = Tabla(
            QStringList{"--lugar", "valparaiso", "--formato", "pdf", "--salida", pdf} + c.orden);
        ASSERT_EQ(e.estado, 0) << e.errores.toStdString();
        QString tamano;
        EXPECT_EQ(Paginas(pdf, &tamano), c.paginas);
        EXPECT_TRUE(
            QRegularExpression(QStringLiteral("^(%1) pts").arg(QString::fromLatin1(c.papel)))
                .match(tamano)
                .hasMatch())
            << tamano.toStdString();
    }
}

// ------------------------------------------------------------ the chart

// SVG: well-formed, titled with the place and the range, of the asked size
// in user units; to standard output (it is text) or a file, the same.
TEST(Grafico, SvgBienFormadoConSuTituloYTamano) {
    const QStringList orden = {"--lugar", "valparaiso", "--anio", "2026", "--formato", "svg"};
    for (const QStringList& tamano : {QStringList{}, QStringList{"--tamano", "800x450"}}) {
        SCOPED_TRACE(tamano.join(' ').toStdString());
        const Ejecucion e = Tabla(orden + tamano);
        ASSERT_EQ(e.estado, 0) << e.errores.toStdString();
        QXmlStreamReader xml(e.salida);
        QString titulo;
        QString caja;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement) continue;
            if (xml.name() == QLatin1String("svg")) {
                caja = xml.attributes().value(QLatin1String("viewBox")).toString();
            } else if (xml.name() == QLatin1String("title") && titulo.isEmpty()) {
                titulo = xml.readElementText();
            }
        }
        EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
        EXPECT_EQ(titulo, QStringLiteral("Valparaíso — 2026"));
        EXPECT_EQ(caja, tamano.isEmpty() ? QStringLiteral("0 0 1600 900")
                                         : QStringLiteral("0 0 800 450"));
        QTemporaryDir dir;
        const QString ruta = dir.filePath(QStringLiteral("g.svg"));
        ASSERT_EQ(Tabla(orden + tamano + QStringList{"--salida", ruta}).estado, 0);
        EXPECT_EQ(Lee(ruta), e.salida);
    }
}

// PNG: a picture of the asked size, 1600 x 900 by default.
TEST(Grafico, PngDelTamanoPedido) {
    const struct {
        QStringList tamano;
        QSize esperado;
    } casos[] = {
        {{}, QSize(1600, 900)},
        {{"--tamano", "800x450"}, QSize(800, 450)},
        {{"--tamano", "320x200", "--luna"}, QSize(320, 200)},
    };
    QTemporaryDir dir;
    for (const auto& c : casos) {
        SCOPED_TRACE(c.tamano.join(' ').toStdString());
        const QString ruta = dir.filePath(QStringLiteral("g.png"));
        const Ejecucion e = Tabla(QStringList{"--lat", "70", "--lon", "0", "--zona", "0", "--mes",
                                              "2003-06", "--formato", "png", "--salida", ruta} +
                                  c.tamano);
        ASSERT_EQ(e.estado, 0) << e.errores.toStdString();
        EXPECT_TRUE(e.errores.isEmpty()) << e.errores.toStdString();
        const QImage imagen(ruta, "PNG");
        EXPECT_EQ(imagen.size(), c.esperado);
    }
}

// ------------------------------------------------------------- --salida

const QStringList mes = {"--lugar", "valparaiso", "--zona", "-4", "--mes", "2026-07"};

// Any format to a file: the bytes of standard output; an existing file is
// replaced and keeps its permissions; nothing else is left in the folder.
TEST(Salida, EscribeYGuardaLosPermisos) {
    QTemporaryDir dir;
    const QString ruta = dir.filePath(QStringLiteral("tabla"));
    for (const char* formato : {"texto", "csv", "json"}) {
        SCOPED_TRACE(formato);
        const QStringList orden = mes + QStringList{"--formato", QString::fromLatin1(formato)};
        const Ejecucion normal = Tabla(orden);
        ASSERT_EQ(normal.estado, 0);
        Escribe(ruta, "antes\n");
        ASSERT_TRUE(QFile::setPermissions(
            ruta, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));  // 640
        const Ejecucion e = Tabla(orden + QStringList{"--salida", ruta});
        EXPECT_EQ(e.estado, 0) << e.errores.toStdString();
        EXPECT_TRUE(e.salida.isEmpty());
        EXPECT_EQ(Lee(ruta), normal.salida);
        EXPECT_EQ(std::filesystem::status(ruta.toStdString()).permissions(),
                  std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                      std::filesystem::perms::group_read);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"tabla"});
    }
}

// A file that cannot be written: status 1, one line saying why, an existing
// file as it was, no file where there was none.
TEST(Salida, FallaSinTocarElArchivo) {
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::setPermissions(
        dir.path(), QFile::permissions(dir.path()) | QFile::ExeOther | QFile::ReadOther));
    const QString carpeta = dir.filePath(QStringLiteral("carpeta"));
    ASSERT_TRUE(QDir().mkdir(carpeta));
    const QString cerrada = dir.filePath(QStringLiteral("cerrada"));
    ASSERT_TRUE(QDir().mkdir(cerrada));
    const QString viejo = cerrada + QStringLiteral("/viejo.pdf");
    Escribe(viejo, "antes\n");
    ASSERT_TRUE(QFile::setPermissions(
        viejo, QFile::permissions(viejo) | QFile::ReadOther | QFile::WriteOther));
    // Read and search only; the file inside writable by all, the folder not.
    ASSERT_TRUE(QFile::setPermissions(
        cerrada, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
    // Root writes in any folder: run as nobody then (setpriv, util-linux).
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    const bool comoRoot = geteuid() == 0;
    auto corre = [&](const QStringList& argumentos, bool comoNadie) {
        if (comoNadie && comoRoot) {
            return Corre(setpriv, QStringList{"--reuid=65534", "--regid=65534", "--clear-groups",
                                              QStringLiteral(VESPALBA_TABLA)} +
                                      argumentos);
        }
        return Tabla(argumentos);
    };
    const struct {
        QString ruta;
        QStringList formato;
        bool comoNadie;
        const char* dice;
    } casos[] = {
        {carpeta, {"--formato", "pdf"}, false, "es una carpeta"},
        {carpeta, {}, false, "es una carpeta"},
        {dir.filePath(QStringLiteral("no/hay.txt")), {}, false, "no existe la carpeta"},
        {viejo, {"--formato", "pdf"}, true, "no se puede escribir en la carpeta"},
        {viejo, {"--formato", "csv"}, true, "no se puede escribir en la carpeta"},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.ruta.toStdString() + " " + c.formato.join(' ').toStdString());
        if (c.comoNadie && comoRoot && setpriv.isEmpty()) {
            ADD_FAILURE() << "root without setpriv: cannot act out a folder it cannot write";
            continue;
        }
        const Ejecucion e = corre(mes + c.formato + QStringList{"--salida", c.ruta}, c.comoNadie);
        EXPECT_EQ(e.estado, 1);
        EXPECT_TRUE(e.salida.isEmpty());
        const QString error = QString::fromUtf8(e.errores);
        EXPECT_EQ(error.count(QLatin1Char('\n')), 1) << error.toStdString();
        EXPECT_TRUE(error.startsWith(QStringLiteral("vespalba-tabla: no se pudo escribir «") +
                                     c.ruta + QStringLiteral("»: ") + QString::fromUtf8(c.dice)))
            << error.toStdString();
    }
    EXPECT_EQ(Lee(viejo), "antes\n");
    EXPECT_EQ(QDir(cerrada).entryList(QDir::Files | QDir::Hidden), QStringList{"viejo.pdf"});
    EXPECT_TRUE(QDir(carpeta).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("no"))));
    QFile::setPermissions(cerrada, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// Binary formats are refused, before anything is computed, when standard
// output is a terminal (a pseudo-terminal made by script, util-linux);
// text formats and the SVG are written there.
TEST(Salida, BinarioNoVaAUnaTerminal) {
    const QString script = QStandardPaths::findExecutable(QStringLiteral("script"));
    if (script.isEmpty()) GTEST_SKIP() << "no script(1) to make a terminal";
    const QString orden = QStringLiteral(VESPALBA_TABLA) +
                          QStringLiteral(" --lugar valparaiso --mes 2026-07 --formato ");
    const struct {
        const char* formato;
        int estado;
    } casos[] = {{"pdf", 2}, {"png", 2}, {"svg", 0}, {"texto", 0}};
    for (const auto& c : casos) {
        SCOPED_TRACE(c.formato);
        // script runs the command on a terminal and copies what it wrote.
        const Ejecucion e = Corre(script, {"-qec", orden + QLatin1String(c.formato), "/dev/null"});
        EXPECT_EQ(e.estado, c.estado);
        if (c.estado == 2) {
            EXPECT_TRUE(e.salida.startsWith("vespalba-tabla: el formato "))
                << e.salida.toStdString();
            EXPECT_TRUE(e.salida.contains("la salida es una terminal"));
            EXPECT_FALSE(e.salida.contains("%PDF") || e.salida.contains("PNG"));
        }
    }
}

// A text run never loads Qt Gui nor the drawing module (their start-up
// would be paid by every text run); a drawing loads both (the dynamic
// linker's log says what is loaded).
TEST(Arranque, SoloUnDibujoCargaQtGui) {
    QProcessEnvironment registro = SinPantalla();
    registro.insert(QStringLiteral("LD_DEBUG"), QStringLiteral("libs"));
    QTemporaryDir dir;
    const QStringList dia = {"--lugar", "valparaiso", "--zona", "-4", "--fecha", "2026-07-02"};
    for (const char* formato : {"texto", "csv", "json"}) {
        const Ejecucion e = Tabla(dia + QStringList{"--formato", formato}, registro);
        EXPECT_EQ(e.estado, 0);
        EXPECT_TRUE(e.errores.contains("libQt6Core")) << "the log is there";
        EXPECT_FALSE(e.errores.contains("libQt6Gui")) << formato;
        EXPECT_FALSE(e.errores.contains("vespalba-tabla-dibujo")) << formato;
    }
    const Ejecucion png =
        Tabla(QStringList{"--lugar", "valparaiso", "--mes", "2026-07", "--formato", "png",
                          "--salida", dir.filePath(QStringLiteral("g.png"))},
              registro);
    EXPECT_EQ(png.estado, 0);
    EXPECT_TRUE(png.errores.contains("vespalba-tabla-dibujo.so"));
    EXPECT_TRUE(png.errores.contains("libQt6Gui"));
}

}  // namespace
