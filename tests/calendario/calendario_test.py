#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""vespalba-tabla --formato ics read back by a real iCalendar parser
(Debian's python3-icalendar): every event's instant is the one the JSON
format gives for the same day and event, UIDs are stable, DTSTAMP comes from
SOURCE_DATE_EPOCH, and the file is CRLF-ended and folded as RFC 5545 asks.

Usage: calendario_test.py PATH_TO_VESPALBA_TABLA
"""
import datetime
import json
import os
import subprocess
import sys
import unittest

import icalendar

TABLA = sys.argv.pop(1) if len(sys.argv) > 1 else "vespalba-tabla"
SELLO = 1767225600  # 2026-01-01 00:00 UTC


def corre(*argumentos, entorno=None):
    env = dict(os.environ, SOURCE_DATE_EPOCH=str(SELLO))
    env.update(entorno or {})
    return subprocess.run([TABLA, *argumentos], capture_output=True, env=env, check=False)


def calendario(*argumentos):
    r = corre(*argumentos, "--formato", "ics")
    assert r.returncode == 0, r.stderr.decode()
    return r.stdout


def eventos(crudo):
    return [c for c in icalendar.Calendar.from_ical(crudo).walk("VEVENT")]


def instante_iso(texto):
    return datetime.datetime.fromisoformat(texto).astimezone(datetime.timezone.utc)


# SUMMARY of each JSON class and event.
RESUMENES = {
    ("sol", "orto"): "Orto del Sol",
    ("sol", "ocaso"): "Ocaso del Sol",
    ("civil", "orto"): "Comienzo del crepúsculo civil",
    ("civil", "ocaso"): "Fin del crepúsculo civil",
    ("nautico", "orto"): "Comienzo del crepúsculo náutico",
    ("nautico", "ocaso"): "Fin del crepúsculo náutico",
    ("astronomico", "orto"): "Comienzo del crepúsculo astronómico",
    ("astronomico", "ocaso"): "Fin del crepúsculo astronómico",
    ("luna", "orto"): "Orto de la Luna",
    ("luna", "ocaso"): "Ocaso de la Luna",
}


class Calendario(unittest.TestCase):
    def test_cada_suceso_en_el_instante_del_json(self):
        # A month at Valparaíso in its civil time (the clock changes on
        # 2026-04-04), every kind of event.
        lugar = ["--lugar", "valparaiso", "--mes", "2026-04"]
        crudo = calendario(*lugar, "--eventos",
                           "orto,ocaso,civil,nautico,astronomico,luna,fases,mediodia")
        esperados = {}
        r = corre(*lugar, "--formato", "json")
        self.assertEqual(r.returncode, 0)
        for linea in r.stdout.decode().splitlines():
            dia = json.loads(linea)
            for clase, datos in dia["clases"].items():
                for evento in ("orto", "ocaso"):
                    if datos[evento + "_instante"]:
                        esperados.setdefault(RESUMENES[(clase, evento)], []).append(
                            instante_iso(datos[evento + "_instante"]))
            esperados.setdefault("Mediodía solar", []).append(
                instante_iso(dia["mediodia"]["instante"]))
            fase = dia["luna"]["fase_principal"]
            if fase:
                esperados.setdefault(fase["nombre"], []).append(instante_iso(fase["instante"]))
        hallados = {}
        for e in eventos(crudo):
            resumen = str(e["SUMMARY"])
            clave = next((n for n in esperados if resumen.startswith(n)), resumen)
            inicio = e.decoded("DTSTART")
            self.assertTrue(e["DTSTART"].to_ical().endswith(b"Z"), resumen)  # in UTC
            self.assertEqual(inicio.utcoffset(), datetime.timedelta(0), resumen)
            hallados.setdefault(clave, []).append(inicio)
            self.assertEqual(e.decoded("DTSTAMP"),
                             datetime.datetime.fromtimestamp(SELLO, datetime.timezone.utc))
            self.assertEqual(str(e["LOCATION"]), "Valparaíso")
            self.assertAlmostEqual(e["GEO"].latitude, -33.266667, places=5)
            self.assertAlmostEqual(e["GEO"].longitude, -71.566667, places=5)
            self.assertIn("Hora local: ", str(e["DESCRIPTION"]))
        self.assertEqual({k: sorted(v) for k, v in hallados.items()},
                         {k: sorted(v) for k, v in esperados.items()})
        # The full moon of 2026-04-02 02:12 UTC, and its light then.
        llena = [e for e in eventos(crudo) if str(e["SUMMARY"]).startswith("Luna llena")]
        self.assertEqual(len(llena), 1)
        self.assertRegex(str(llena[0]["SUMMARY"]), r"^Luna llena (99|100) %$")
        self.assertLess(abs(llena[0].decoded("DTSTART") - datetime.datetime(
            2026, 4, 2, 2, 12, tzinfo=datetime.timezone.utc)), datetime.timedelta(minutes=10))

    def test_horas_dorada_y_azul_en_los_instantes_del_json(self):
        # Valparaíso in April 2026 (the clock goes back at the end of the
        # 4th) and 70 N in June and December (thresholds not reached): each
        # beginning and end of a golden or blue hour at the instant of the
        # JSON's boundary, one event per boundary the Sun crosses, none for
        # the others.
        resumenes = {
            "inicio_azul_manana": ["Comienzo de la hora azul de la mañana"],
            "inicio_dorada_manana": ["Fin de la hora azul de la mañana",
                                     "Comienzo de la hora dorada de la mañana"],
            "fin_dorada_manana": ["Fin de la hora dorada de la mañana"],
            "inicio_dorada_tarde": ["Comienzo de la hora dorada de la tarde"],
            "inicio_azul_tarde": ["Fin de la hora dorada de la tarde",
                                  "Comienzo de la hora azul de la tarde"],
            "fin_azul_tarde": ["Fin de la hora azul de la tarde"],
        }
        casos = [
            ["--lugar", "valparaiso", "--mes", "2026-04"],
            ["--lat", "70", "--lon", "20", "--tz", "Europe/Oslo", "--desde", "2026-06-18",
             "--hasta", "2026-06-24"],
            ["--lat", "70", "--lon", "20", "--tz", "Europe/Oslo", "--desde", "2026-12-18",
             "--hasta", "2026-12-24"],
        ]
        for lugar in casos:
            esperados = []
            r = corre(*lugar, "--formato", "json")
            self.assertEqual(r.returncode, 0)
            faltan = 0
            for linea in r.stdout.decode().splitlines():
                dia = json.loads(linea)
                for nombre, textos in resumenes.items():
                    if dia[nombre] is None:
                        faltan += 1
                        continue
                    for texto in textos:
                        esperados.append((texto, instante_iso(dia[nombre]["instante"])))
            hallados = []
            for e in eventos(calendario(*lugar, "--eventos", "dorada,azul")):
                self.assertNotIn("DTEND", e)  # an instant, as every other event
                hallados.append((str(e["SUMMARY"]), e.decoded("DTSTART")))
            self.assertEqual(sorted(hallados), sorted(esperados), lugar)
            self.assertEqual(faltan > 0, lugar[0] == "--lat", lugar)
            # Only the golden hours, or only the blue ones.
            dorada = eventos(calendario(*lugar, "--eventos", "dorada"))
            self.assertTrue(all("hora dorada" in str(e["SUMMARY"]) for e in dorada))
            azul = eventos(calendario(*lugar, "--eventos", "azul"))
            self.assertTrue(all("hora azul" in str(e["SUMMARY"]) for e in azul))
            self.assertEqual(len(dorada) + len(azul), len(hallados))
        # An ordinary day at Valparaíso: the eight events, each its own UID.
        dia = eventos(calendario("--lugar", "valparaiso", "--fecha", "2026-04-15", "--eventos",
                                 "dorada,azul"))
        self.assertEqual(len(dia), 8)
        self.assertEqual(len({str(e["UID"]) for e in dia}), 8)

    def test_sucesos_por_omision_y_uid_estable(self):
        # Default: sunrise, sunset and the principal phases.
        mes = eventos(calendario("--lugar", "valparaiso", "--mes", "2026-04"))
        resumenes = {str(e["SUMMARY"]).split(" ")[0] for e in mes}
        self.assertEqual(resumenes, {"Orto", "Ocaso", "Luna", "Cuarto"})
        self.assertEqual(len(mes), 30 * 2 + 4)
        uids = [str(e["UID"]) for e in mes]
        self.assertEqual(len(set(uids)), len(uids))
        # The same place, date and event: the same UID, whatever the range
        # and however the range is computed (a long one in blocks).
        dia = eventos(calendario("--lugar", "valparaiso", "--fecha", "2026-04-15"))
        self.assertTrue({str(e["UID"]) for e in dia} <= set(uids))
        anio = eventos(calendario("--lugar", "valparaiso", "--anio", "2026"))
        self.assertTrue(set(uids) <= {str(e["UID"]) for e in anio})
        # Another place: other UIDs.
        otro = eventos(calendario("--lugar", "arica", "--fecha", "2026-04-15"))
        self.assertFalse({str(e["UID"]) for e in otro} & set(uids))

    def test_forma_del_archivo(self):
        crudo = calendario("--lugar", "punta arenas", "--mes", "2026-06", "--eventos",
                           "luna,fases,mediodia,astronomico")
        self.assertTrue(crudo.startswith(b"BEGIN:VCALENDAR\r\nVERSION:2.0\r\n"))
        self.assertTrue(crudo.endswith(b"END:VCALENDAR\r\n"))
        lineas = crudo.split(b"\r\n")[:-1]
        self.assertNotIn(b"\n", b"".join(lineas), "every line ends in CRLF")
        self.assertTrue(all(len(l) <= 75 for l in lineas), "folded at 75 octets")
        self.assertTrue(any(l.startswith(b" ") for l in lineas), "some line was folded")
        for l in lineas:
            l.decode("utf-8")  # folding never splits a character
        self.assertNotIn(b"nan", crudo.lower().replace(b"\r\n ", b""))
        # Reproducible: the same bytes twice.
        self.assertEqual(crudo, calendario("--lugar", "punta arenas", "--mes", "2026-06",
                                           "--eventos", "luna,fases,mediodia,astronomico"))

    def test_polar(self):
        # Polar night: no sunrise nor sunset, but noon (the Sun below the
        # horizon) and the phases.
        crudo = calendario("--lat", "70", "--lon", "20", "--tz", "Europe/Oslo", "--fecha",
                           "2026-12-21", "--eventos", "orto,ocaso,mediodia")
        ev = eventos(crudo)
        self.assertEqual([str(e["SUMMARY"]).split(",")[0] for e in ev], ["Mediodía solar"])
        self.assertRegex(str(ev[0]["SUMMARY"]), r"el Sol a -3,\d°$")

    def test_rechazos(self):
        for argumentos, motivo in [
            (["--eventos", "orto,sol"], "«sol» no es un suceso conocido"),
            (["--eventos", "orto,,ocaso"], "falta un nombre"),
            (["--eventos", ""], "falta"),
        ]:
            r = corre("--lugar", "valparaiso", "--fecha", "2026-04-01", "--formato", "ics",
                      *argumentos)
            self.assertEqual(r.returncode, 2, argumentos)
            self.assertEqual(r.stdout, b"")
            self.assertIn(motivo, r.stderr.decode())
            # The refusal lists what is accepted.
            self.assertIn("orto, ocaso, civil, nautico, astronomico, luna, fases, mediodia, "
                          "dorada y azul", r.stderr.decode())
        r = corre("--lugar", "valparaiso", "--fecha", "2026-04-01", "--eventos", "orto")
        self.assertEqual(r.returncode, 2)
        self.assertIn("solo vale con --formato ics", r.stderr.decode())
        r = corre("--lugar", "valparaiso", "--fecha", "2026-04-01", "--formato", "ics",
                  entorno={"SOURCE_DATE_EPOCH": "ayer"})
        self.assertEqual((r.returncode, r.stdout), (2, b""))
        self.assertIn("SOURCE_DATE_EPOCH", r.stderr.decode())
        # Accents and capitals as a Spanish speaker types them.
        self.assertEqual(corre("--lugar", "valparaiso", "--fecha", "2026-04-01", "--formato",
                               "ics", "--eventos", "Náutico,MEDIODÍA").returncode, 0)


if __name__ == "__main__":
    unittest.main()
