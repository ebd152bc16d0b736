// SPDX-License-Identifier: GPL-3.0-or-later
// The almanac window's export and printing: every format written as
// vespalba-tabla writes it (the same bytes for the same request; for the
// PDF the same pages and text, as its fonts are embedded in the order of a
// hash that differs between processes), a cancelled export and the
// failures that leave an existing file as it was, the year's pages on a
// printer (the same pages as vespalba-tabla's, the chart landscape) and in the print
// preview, and the window's export with its progress dialog.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "almanaque/exportar.h"
#include "almanaque/modelo.h"
#include "almanaque/preferencias.h"
#include "almanaque/ventana.h"
#include "almanaque_comun.h"
#include "programa_tabla.h"
#include "salidas/exporta.h"
#include "tabla/orden.h"

namespace {

using namespace Vespalba;

const QString Programa = QStringLiteral("vespalba-tabla " VESPALBA_VERSION);

QByteArray Lee(const QString& ruta) {
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray Corre(const QString& programa, const QStringList& argumentos) {
    QProcess p;
    p.start(programa, argumentos);
    EXPECT_TRUE(p.waitForFinished(120000));
    EXPECT_EQ(p.exitCode(), 0) << argumentos.join(' ').toStdString() << ": "
                               << p.readAllStandardError().toStdString();
    return p.readAllStandardOutput();
}

// pdfinfo's page count and every page's size and rotation.
QStringList Paginas(const QString& ruta) {
    const QString info =
        QString::fromUtf8(Corre(QStringLiteral("pdfinfo"), {"-f", "1", "-l", "9999", ruta}));
    QStringList lineas;
    for (const QString& l : info.split(QLatin1Char('\n'))) {
        if (l.startsWith(QStringLiteral("Page")) || l.startsWith(QStringLiteral("Pages:"))) {
            lineas << l;
        }
    }
    return lineas;
}

Tabla::Peticion Peticion(const QStringList& argumentos) {
    const Tabla::Orden o =
        Tabla::LeeOrden(QStringList{QStringLiteral("vespalba-tabla")} + argumentos, 1797031800,
                        QStringLiteral("1797031800"));
    EXPECT_EQ(o.accion, Tabla::Accion::Calcular) << o.mensaje.toStdString();
    return o.peticion;
}

TEST(Exportar, LosMismosBytesQueVespalbaTabla) {
    QTemporaryDir dir;
    qputenv("SOURCE_DATE_EPOCH", "1797031800");
    const QStringList base = {"--lugar", "valparaiso", "--mes", "2026-04"};
    for (const char* formato : {"texto", "csv", "json", "ics", "svg", "png", "pdf"}) {
        SCOPED_TRACE(formato);
        QStringList args = base + QStringList{"--formato", formato};
        if (QLatin1String(formato) == QLatin1String("ics"))
            args << "--eventos"
                 << "orto,ocaso,dorada";
        if (QLatin1String(formato) == QLatin1String("png"))
            args << "--tamano"
                 << "800x450";
        const QString nuestra = dir.filePath(QStringLiteral("a.") + formato);
        const QString suya = dir.filePath(QStringLiteral("b.") + formato);
        const Salidas::Exportacion e = Salidas::Exporta(Peticion(args), nuestra, Programa);
        ASSERT_TRUE(e.escrito) << e.motivo.toStdString();
        QProcessEnvironment entorno = QProcessEnvironment::systemEnvironment();
        entorno.insert("SOURCE_DATE_EPOCH", "1797031800");
        const PruebasTabla::Ejecucion t =
            PruebasTabla::Ejecuta(args + QStringList{"--salida", suya}, entorno);
        ASSERT_EQ(t.estado, 0) << t.errores.toStdString();
        if (QLatin1String(formato) != QLatin1String("pdf")) {
            EXPECT_EQ(Lee(nuestra), Lee(suya));
            EXPECT_FALSE(Lee(nuestra).isEmpty());
            continue;
        }
        // The PDF: the same pages, sizes and text.
        EXPECT_EQ(Corre(QStringLiteral("pdftotext"), {"-layout", nuestra, "-"}),
                  Corre(QStringLiteral("pdftotext"), {"-layout", suya, "-"}));
        EXPECT_EQ(Paginas(nuestra), Paginas(suya));
    }
    qunsetenv("SOURCE_DATE_EPOCH");
}

TEST(Exportar, CanceladoOFallidoDejaElArchivoComoEstaba) {
    QTemporaryDir dir;
    const QString ruta = dir.filePath(QStringLiteral("anio.pdf"));
    {
        QFile f(ruta);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("lo de antes");
    }
    const Tabla::Peticion anio =
        Peticion({"--lugar", "valparaiso", "--anio", "2026", "--formato", "pdf"});
    // Cancelled at the third page.
    qint64 visto = 0;
    const Salidas::Exportacion c = Salidas::Exporta(anio, ruta, Programa, [&](qint64 h, qint64 t) {
        visto = t;
        return h < 3;
    });
    EXPECT_FALSE(c.escrito);
    EXPECT_TRUE(c.cancelado);
    EXPECT_EQ(visto, 13);  // the chart and twelve months
    EXPECT_EQ(Lee(ruta), QByteArray("lo de antes"));
    const Tabla::Peticion csv =
        Peticion({"--lugar", "valparaiso", "--anio", "2026", "--formato", "csv"});
    const Salidas::Exportacion c2 =
        Salidas::Exporta(csv, ruta, Programa, [](qint64, qint64) { return false; });
    EXPECT_TRUE(c2.cancelado);
    EXPECT_EQ(Lee(ruta), QByteArray("lo de antes"));

    // A folder for a name, a folder that is a file, a full device.
    const struct {
        QString ruta;
        const char* motivo;
        bool archivo;  // a file's path, which the message says is kept
    } fallos[] = {
        {dir.path(), "carpeta", true},
        {ruta + QStringLiteral("/x.csv"), "", true},
        {QStringLiteral("/dev/full"), "espacio", false},
    };
    for (const auto& f : fallos) {
        const Salidas::Exportacion e = Salidas::Exporta(csv, f.ruta, Programa);
        EXPECT_FALSE(e.escrito) << f.ruta.toStdString();
        EXPECT_FALSE(e.cancelado);
        EXPECT_FALSE(e.motivo.isEmpty()) << f.ruta.toStdString();
        EXPECT_TRUE(e.motivo.contains(QString::fromUtf8(f.motivo))) << e.motivo.toStdString();
        // The window's message: one sentence naming the file and, for a
        // file, saying that an existing one is kept.
        const QString mensaje = Almanaque::MensajeDeFallo(e.motivo);
        EXPECT_TRUE(mensaje.startsWith(QStringLiteral("No se pudo escribir «%1»: ").arg(f.ruta)))
            << mensaje.toStdString();
        EXPECT_TRUE(mensaje.endsWith(f.archivo ? QStringLiteral("; el archivo queda como estaba.")
                                               : QStringLiteral(".")))
            << mensaje.toStdString();
    }
    EXPECT_EQ(Lee(ruta), QByteArray("lo de antes"));
}

// The year's pages on a printer writing PDF, and in the preview.
TEST(Imprimir, PaginasDelAnio) {
    QTemporaryDir dir;
    const Tabla::Peticion anio =
        Peticion({"--lugar", "valparaiso", "--anio", "2026", "--formato", "pdf"});
    QPrinter impresora(QPrinter::HighResolution);
    impresora.setOutputFormat(QPrinter::PdfFormat);
    impresora.setOutputFileName(dir.filePath(QStringLiteral("impreso.pdf")));
    ASSERT_TRUE(Almanaque::PintaPaginas(impresora, anio));
    // The same pages as vespalba-tabla's year: 13, the chart landscape.
    const QString suya = dir.filePath(QStringLiteral("tabla.pdf"));
    Corre(QStringLiteral(VESPALBA_TABLA),
          {"--lugar", "valparaiso", "--anio", "2026", "--formato", "pdf", "--salida", suya});
    const QStringList paginas = Paginas(dir.filePath(QStringLiteral("impreso.pdf")));
    EXPECT_EQ(paginas, Paginas(suya));
    EXPECT_TRUE(paginas.contains(QStringLiteral("Pages:           13")))
        << paginas.join('\n').toStdString();
    EXPECT_TRUE(paginas.contains(QStringLiteral("Page    1 size:  842 x 595 pts (A4)")))
        << paginas.join('\n').toStdString();

    QPrinter otra(QPrinter::HighResolution);
    QPrintPreviewWidget vista(&otra);
    QObject::connect(&vista, &QPrintPreviewWidget::paintRequested,
                     [&](QPrinter* p) { Almanaque::PintaPaginas(*p, anio); });
    vista.updatePreview();
    EXPECT_EQ(vista.pageCount(), 13);
}

TEST(Exportar, DesdeLaVentana) {
    QTemporaryDir dir;
    PruebasAlmanaque::GuardaValparaiso(dir.filePath("a.conf"), dir.filePath("c.conf"));
    const auto ventana = PruebasAlmanaque::AbreAlmanaque(
        dir.filePath("a.conf"), dir.filePath("c.conf"), [] { return qint64(1797031800); });
    ASSERT_NE(ventana, nullptr);
    Almanaque::VentanaAlmanaque& v = *ventana;
    Almanaque::DialogoExportar d(v.ConsultaActual(), v.FechaActual(), &v);
    EXPECT_TRUE(d.NombreSugerido().endsWith(QStringLiteral("-2026-12.pdf")))
        << d.NombreSugerido().toStdString();
    const Salidas::Peticion pedida = d.Peticion();
    EXPECT_EQ(pedida.hasta - pedida.desde, std::chrono::days{30});
    const QString ruta = dir.filePath(QStringLiteral("mes.pdf"));
    ASSERT_TRUE(v.ExportaA(pedida, ruta));
    EXPECT_TRUE(Lee(ruta).startsWith("%PDF"));
    const QByteArray texto = Corre(QStringLiteral("pdftotext"), {ruta, "-"});
    EXPECT_TRUE(texto.contains("vespalba-almanaque")) << "el pie nombra el programa";
    EXPECT_TRUE(texto.contains("Diciembre de 2026") || texto.contains("diciembre de 2026"));
}

}  // namespace
