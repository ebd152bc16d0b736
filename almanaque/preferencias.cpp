// SPDX-License-Identifier: GPL-3.0-or-later
#include "almanaque/preferencias.h"

#include <QFile>
#include <QLockFile>
#include <QRegularExpression>
#include <QVariant>

#include <algorithm>
#include <cmath>

#include "lugares/guardado.h"
#include "lugares/zonas.h"

namespace Vespalba::Almanaque {

namespace {

// Most favourites kept; a longer list in the file is cut.
constexpr int MaximoFavoritos = 100;

// The stored form of a place, and back.
LugarGuardado Guardado(const Sitio& l) {
    return {l.nombre, l.nombreCompleto, l.latitud, l.longitud, l.zona};
}
Sitio DeGuardado(const LugarGuardado& l) {
    Sitio s;
    s.nombre = l.nombre;
    s.nombreCompleto = l.nombreCompleto;
    s.latitud = l.latitud;
    s.longitud = l.longitud;
    s.zona = l.zona;
    return s;
}

// A place read from the current group of `s`; none when any part is bad.
std::optional<Sitio> LeeSitio(QSettings& s) {
    const std::optional<LugarGuardado> l = LeeLugarGuardado(s);
    if (!l) return std::nullopt;
    return DeGuardado(*l);
}

void GuardaSitio(QSettings& s, const Sitio& l) { EscribeLugarGuardado(s, Guardado(l)); }

}  // namespace

std::optional<Sitio> LeeLugarPorOmision(QSettings& comun) {
    const std::optional<LugarGuardado> l = Vespalba::LeeLugarPorOmision(comun);
    if (!l) return std::nullopt;
    return DeGuardado(*l);
}

Preferencias LeePreferencias(QSettings& almanaque, QSettings& comun) {
    Preferencias p;
    if (almanaque.status() == QSettings::NoError) {
        almanaque.beginGroup(QStringLiteral("ultimo"));
        p.ultimo = LeeSitio(almanaque);
        almanaque.endGroup();

        const QString tipo = TextoGuardado(almanaque.value(QStringLiteral("zona/tipo")));
        if (tipo == QLatin1String("iana")) {
            const QString iana = TextoGuardado(almanaque.value(QStringLiteral("zona/iana")));
            if (ZonaConocida(iana)) {
                p.zona.tipo = EleccionZona::Tipo::Iana;
                p.zona.iana = iana;
            }
        } else if (tipo == QLatin1String("fija")) {
            const std::optional<double> h =
                NumeroGuardado(almanaque.value(QStringLiteral("zona/horas")));
            // -12 to +14 in quarter hours, as a fixed zone is accepted.
            if (h && *h >= -12.0 && *h <= 14.0 && std::fmod(*h * 4.0, 1.0) == 0.0) {
                p.zona.tipo = EleccionZona::Tipo::Fija;
                p.zona.horas = *h;
            }
        }

        const QVariant g = almanaque.value(QStringLiteral("ventana/geometria"));
        if (g.typeId() == QMetaType::QByteArray && g.toByteArray().size() < 4096) {
            p.geometria = g.toByteArray();
        }

        const int n = almanaque.beginReadArray(QStringLiteral("favoritos"));
        for (int i = 0; i < std::min(n, MaximoFavoritos); ++i) {
            almanaque.setArrayIndex(i);
            if (std::optional<Sitio> s = LeeSitio(almanaque)) {
                if (std::find(p.favoritos.begin(), p.favoritos.end(), *s) == p.favoritos.end()) {
                    p.favoritos.push_back(*s);
                }
            }
        }
        almanaque.endArray();
    }
    if (const std::optional<Sitio> omision = LeeLugarPorOmision(comun)) {
        auto it = std::find(p.favoritos.begin(), p.favoritos.end(), *omision);
        if (it == p.favoritos.end()) {
            p.favoritos.push_back(*omision);
            it = p.favoritos.end() - 1;
        }
        p.porOmision = int(it - p.favoritos.begin());
    }
    return p;
}

namespace {

// The favourites and the default place, written whole.
void EscribeFavoritos(const Preferencias& p, QSettings& almanaque, QSettings& comun) {
    almanaque.remove(QStringLiteral("favoritos"));
    almanaque.beginWriteArray(QStringLiteral("favoritos"), int(p.favoritos.size()));
    for (int i = 0; i < int(p.favoritos.size()); ++i) {
        almanaque.setArrayIndex(i);
        GuardaSitio(almanaque, p.favoritos[std::size_t(i)]);
    }
    almanaque.endArray();
    almanaque.sync();

    std::optional<LugarGuardado> omision;
    if (p.porOmision >= 0 && p.porOmision < int(p.favoritos.size())) {
        omision = Guardado(p.favoritos[std::size_t(p.porOmision)]);
    }
    GuardaLugarPorOmision(comun, omision);
    comun.sync();
}

}  // namespace

void GuardaEstado(const Preferencias& p, QSettings& almanaque) {
    almanaque.remove(QStringLiteral("ultimo"));
    if (p.ultimo) {
        almanaque.beginGroup(QStringLiteral("ultimo"));
        GuardaSitio(almanaque, *p.ultimo);
        almanaque.endGroup();
    }
    almanaque.remove(QStringLiteral("zona"));
    switch (p.zona.tipo) {
        case EleccionZona::Tipo::DelLugar:
            almanaque.setValue(QStringLiteral("zona/tipo"), QStringLiteral("lugar"));
            break;
        case EleccionZona::Tipo::Iana:
            almanaque.setValue(QStringLiteral("zona/tipo"), QStringLiteral("iana"));
            almanaque.setValue(QStringLiteral("zona/iana"), p.zona.iana);
            break;
        case EleccionZona::Tipo::Fija:
            almanaque.setValue(QStringLiteral("zona/tipo"), QStringLiteral("fija"));
            almanaque.setValue(QStringLiteral("zona/horas"),
                               QString::number(p.zona.horas, 'g', 17));
            break;
    }
    if (!p.geometria.isEmpty()) {
        almanaque.setValue(QStringLiteral("ventana/geometria"), p.geometria);
    }
    almanaque.sync();
}

void GuardaPreferencias(const Preferencias& p, QSettings& almanaque, QSettings& comun) {
    GuardaEstado(p, almanaque);
    EscribeFavoritos(p, almanaque, comun);
}

Preferencias RecargaPreferencias(QSettings& almanaque, QSettings& comun) {
    almanaque.sync();
    comun.sync();
    return LeePreferencias(almanaque, comun);
}

Preferencias CambiaFavoritos(QSettings& almanaque, QSettings& comun, CambioFavorito cambio,
                             const Sitio& sitio) {
    // Held while the files are read, changed and written; a lock left by a
    // program that died is taken over after 10 s. Without the lock (a
    // folder that cannot hold it) the change is still made: losing the
    // user's action would be worse than the rare race.
    QLockFile candado(almanaque.fileName() + QStringLiteral(".favoritos.lock"));
    candado.setStaleLockTime(10000);
    const bool cerrado = candado.tryLock(5000);
    Preferencias p = RecargaPreferencias(almanaque, comun);
    auto& f = p.favoritos;
    auto it = std::find(f.begin(), f.end(), sitio);
    switch (cambio) {
        case CambioFavorito::Anade:
            if (it == f.end()) f.push_back(sitio);
            break;
        case CambioFavorito::Quita:
            if (it != f.end()) {
                const int i = int(it - f.begin());
                f.erase(it);
                if (p.porOmision == i) p.porOmision = -1;
                if (p.porOmision > i) --p.porOmision;
            }
            break;
        case CambioFavorito::PorOmision: {
            if (it == f.end()) {
                f.push_back(sitio);
                it = f.end() - 1;
            }
            const int i = int(it - f.begin());
            p.porOmision = p.porOmision == i ? -1 : i;
            break;
        }
    }
    EscribeFavoritos(p, almanaque, comun);
    if (cerrado) candado.unlock();
    return p;
}

namespace {

// ISO 6709 "+DDMM" / "+DDDMM" / "+DDMMSS" / "+DDDMMSS": degrees.
std::optional<double> Iso6709(const QString& t, int cifrasGrados) {
    if (t.size() != 1 + cifrasGrados + 2 && t.size() != 1 + cifrasGrados + 4) return std::nullopt;
    const QChar signo = t[0];
    if (signo != QLatin1Char('+') && signo != QLatin1Char('-')) return std::nullopt;
    bool ok1 = false, ok2 = false, ok3 = true;
    const int g = t.mid(1, cifrasGrados).toInt(&ok1);
    const int m = t.mid(1 + cifrasGrados, 2).toInt(&ok2);
    const int s = t.size() > 1 + cifrasGrados + 2 ? t.mid(3 + cifrasGrados, 2).toInt(&ok3) : 0;
    if (!ok1 || !ok2 || !ok3 || m >= 60 || s >= 60) return std::nullopt;
    const double v = g + m / 60.0 + s / 3600.0;
    return signo == QLatin1Char('-') ? -v : v;
}

}  // namespace

Sitio SitioInicial(const QByteArray& zona, const QString& tabla) {
    QFile f(tabla);
    if (!zona.isEmpty() && f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        while (!f.atEnd()) {
            const QByteArray linea = f.readLine(4096);
            if (linea.startsWith('#')) continue;
            const QList<QByteArray> campos = linea.trimmed().split('\t');
            if (campos.size() < 3 || campos[2] != zona) continue;
            const QString c = QString::fromLatin1(campos[1]);
            const qsizetype corte = c.indexOf(QRegularExpression(QStringLiteral("[+-]")), 1);
            if (corte < 0) break;
            const std::optional<double> lat = Iso6709(c.left(corte), 2);
            const std::optional<double> lon = Iso6709(c.mid(corte), 3);
            if (!lat || !lon) break;
            Sitio s;
            s.nombre = QString::fromLatin1(zona.mid(zona.lastIndexOf('/') + 1)).replace('_', ' ');
            s.latitud = *lat;
            s.longitud = *lon;
            s.zona = QString::fromLatin1(zona);
            if (SitioValido(s)) return s;
            break;
        }
    }
    return Valparaiso();
}

}  // namespace Vespalba::Almanaque
