-- SPDX-License-Identifier: GPL-3.0-or-later
-- Kestrelon demo data: a lithology classification of 266 terms in up to five levels.
-- Ids are grouped by top class (100s igneous, 200s sedimentary, ...); parents precede children.
-- Runs on SQLite and PostgreSQL; load after the schema file. A few terms have no definition yet.

BEGIN;

DELETE FROM lith_term;

-- Igneous rocks
INSERT INTO lith_term (lith_id, lithology, parent_id, lith_level, description) VALUES
(100, 'Igneous rocks', NULL, 1, 'Rocks formed when molten rock (magma underground, lava at the surface) cools and solidifies. Their grain size mostly reflects how fast they cooled, and their minerals reflect the chemistry of the melt.'),
-- Plutonic rocks
(101, 'Plutonic rocks', 100, 2, 'Igneous rocks that crystallised slowly at depth, so that their interlocking crystals are large enough to see with the naked eye. They form batholiths, stocks and other large intrusive bodies.'),
(102, 'Granitoids', 101, 3, 'Quartz-rich plutonic rocks made mainly of quartz, alkali feldspar and plagioclase, with lesser mica or hornblende. They form most of the large intrusions in the continental crust.'),
(103, 'Granite', 102, 4, 'Coarse-grained plutonic rock in which quartz makes up 20 to 60 percent of the light-coloured minerals and both alkali feldspar and plagioclase are present. It is usually pale grey, pink or red, with biotite or muscovite as the main dark minerals.'),
(104, 'Syenogranite', 103, 5, 'Granite in which alkali feldspar clearly dominates, plagioclase making up only 10 to 35 percent of the feldspar.'),
(105, 'Monzogranite', 103, 5, 'Granite with roughly equal amounts of alkali feldspar and plagioclase, plagioclase forming 35 to 65 percent of the feldspar. It is a very common granite in mountain belts.'),
(106, 'Alkali feldspar granite', 102, 4, 'Quartz-rich plutonic rock whose feldspar is almost entirely alkali feldspar, plagioclase being less than 10 percent of it. It is typical of rifts and other settings away from subduction zones.'),
(107, 'Granodiorite', 102, 4, 'Coarse-grained quartz-bearing plutonic rock in which plagioclase makes up 65 to 90 percent of the feldspar. It is greyer than granite, richer in biotite and hornblende, and abundant in batholiths above subduction zones.'),
(108, 'Tonalite', 102, 4, 'Quartz-rich plutonic rock whose feldspar is almost all plagioclase (more than 90 percent). Hornblende and biotite are the usual dark minerals.'),
(109, 'Trondhjemite', 108, 5, 'Light-coloured tonalite with sodium-rich plagioclase and very few dark minerals. With tonalite and granodiorite it makes up the TTG suites that dominate Archean continental crust.'),
(110, 'Quartz monzonite', 102, 4, 'Plutonic rock with 5 to 20 percent quartz and roughly equal alkali feldspar and plagioclase, transitional between monzonite and granite.'),
(111, 'Syenitic rocks', 101, 3, 'Plutonic rocks dominated by alkali feldspar with little or no quartz. Some contain feldspathoids instead of quartz, showing that their melt was poor in silica.'),
(112, 'Syenite', 111, 4, 'Coarse-grained plutonic rock consisting mainly of alkali feldspar, with less than 5 percent quartz and minor hornblende, biotite or pyroxene.'),
(113, 'Monzonite', 111, 4, 'Coarse-grained plutonic rock with about equal amounts of alkali feldspar and plagioclase and less than 5 percent quartz.'),
(114, 'Nepheline syenite', 111, 4, 'Syenite that contains the feldspathoid nepheline instead of quartz. It is quarried as a raw material for glass and ceramics.'),
(115, 'Dioritic rocks', 101, 3, 'Intermediate plutonic rocks made mainly of sodium-rich plagioclase with hornblende and sometimes biotite or pyroxene. They hold less quartz than granitoids and are darker.'),
(116, 'Diorite', 115, 4, 'Coarse-grained plutonic rock of intermediate composition made of sodic plagioclase and hornblende, with less than 5 percent quartz. It often has a speckled black-and-white look.'),
(117, 'Quartz diorite', 115, 4, 'Diorite containing 5 to 20 percent quartz, intermediate between diorite and tonalite.'),
(118, 'Monzodiorite', 115, 4, 'Plutonic rock between diorite and monzonite, in which plagioclase forms 65 to 90 percent of the feldspar and quartz is scarce.'),
(119, 'Gabbroic rocks', 101, 3, 'Mafic plutonic rocks composed mainly of calcium-rich plagioclase and pyroxene, sometimes with olivine. They are the coarse-grained counterparts of basalt.'),
(120, 'Gabbro', 119, 4, 'Dark, coarse-grained mafic plutonic rock of calcic plagioclase and clinopyroxene (augite). It forms the lower part of the oceanic crust and many layered intrusions.'),
(121, 'Olivine gabbro', 120, 5, 'Gabbro containing a significant proportion of olivine besides plagioclase and clinopyroxene.'),
(122, 'Leucogabbro', 120, 5, 'Light-coloured gabbro in which plagioclase greatly outweighs the dark minerals.'),
(123, 'Norite', 119, 4, 'Gabbroic rock in which orthopyroxene rather than augite is the main pyroxene. Noritic layers in large layered intrusions host important platinum deposits.'),
(124, 'Troctolite', 119, 4, 'Plutonic rock of calcic plagioclase and olivine with little pyroxene. Its spotted appearance earned it the name troutstone.'),
(125, 'Anorthosite', 119, 4, 'Plutonic rock made of more than 90 percent plagioclase feldspar. It forms much of the bright highland crust of the Moon''s surface and, on Earth, large Proterozoic massifs.'),
(126, 'Ultramafic plutonic rocks', 101, 3, 'Plutonic rocks made of more than 90 percent dark iron- and magnesium-bearing minerals, chiefly olivine and pyroxene. They are dense, rich in magnesium and poor in silica.'),
(127, 'Peridotite', 126, 4, 'Coarse-grained ultramafic rock with more than 40 percent olivine, the rest mostly pyroxene. It is the main rock of the Earth''s upper mantle.'),
(128, 'Dunite', 127, 5, 'Peridotite consisting of more than 90 percent olivine, usually with a little chromite. Fresh dunite is pale olive-green.'),
(129, 'Harzburgite', 127, 5, 'Peridotite of olivine and orthopyroxene with little clinopyroxene. It is typically the mantle residue left after basaltic melt has been extracted.'),
(130, 'Lherzolite', 127, 5, 'Peridotite containing olivine together with both orthopyroxene and clinopyroxene. It is regarded as relatively fertile, undepleted upper mantle.'),
(131, 'Wehrlite', 127, 5, 'Peridotite made of olivine and clinopyroxene with little orthopyroxene.'),
(132, 'Pyroxenite', 126, 4, 'Ultramafic rock composed mostly of pyroxene, with less than 40 percent olivine.'),
(133, 'Hornblendite', 126, 4, 'Ultramafic rock composed mostly of hornblende.'),
(134, 'Carbonatite', 101, 3, 'Igneous rock consisting of more than 50 percent carbonate minerals such as calcite or dolomite. It is rare but an important source of rare earth elements, niobium and phosphate.'),
-- Volcanic rocks
(135, 'Volcanic rocks', 100, 2, 'Igneous rocks formed from lava erupted at the surface, which cooled quickly into fine-grained or glassy textures. Larger crystals that grew before eruption (phenocrysts) are often set in the fine groundmass.'),
(136, 'Felsic volcanic rocks', 135, 3, 'Silica-rich volcanic rocks, usually light in colour and erupted from viscous, often explosive magmas.'),
(137, 'Rhyolite', 136, 4, 'Fine-grained, silica-rich volcanic rock, the extrusive counterpart of granite. It commonly shows flow banding and phenocrysts of quartz and sanidine.'),
(138, 'Dacite', 136, 4, 'Volcanic rock between andesite and rhyolite in silica content, the extrusive counterpart of granodiorite. It often erupts as stiff lava domes.'),
(139, 'Trachyte', 136, 4, 'Fine-grained volcanic rock made chiefly of alkali feldspar with little quartz, the extrusive counterpart of syenite. Aligned feldspar laths commonly give it a flow texture.'),
(140, 'Phonolite', 136, 4, 'Alkaline volcanic rock of alkali feldspar and nepheline or other feldspathoids, the extrusive counterpart of nepheline syenite. Thin slabs ring when struck, which gave it its name.'),
(141, 'Intermediate volcanic rocks', 135, 3, 'Volcanic rocks with moderate silica content, roughly 52 to 63 percent SiO2, typical of volcanic arcs above subduction zones.'),
(142, 'Andesite', 141, 4, 'Grey, fine-grained volcanic rock of intermediate composition, usually with phenocrysts of plagioclase and pyroxene or hornblende. It is the characteristic lava of stratovolcanoes above subduction zones and is named after the Andes.'),
(143, 'Basaltic andesite', 141, 4, 'Volcanic rock transitional between basalt and andesite, with about 52 to 57 percent silica.'),
(144, 'Trachyandesite', 141, 4, 'Alkali-rich volcanic rock of intermediate silica content, between trachyte and andesite in composition.'),
(145, 'Mafic volcanic rocks', 135, 3, 'Dark volcanic rocks relatively poor in silica and rich in magnesium, iron and calcium. They erupt as fluid lava and make up the ocean floor.'),
(146, 'Basalt', 145, 4, 'Dark, fine-grained volcanic rock made mainly of calcic plagioclase and pyroxene, with or without olivine, and about 45 to 52 percent silica. It is the most abundant volcanic rock on Earth, forming the ocean floor and the great flood-basalt provinces.'),
(147, 'Tholeiitic basalt', 146, 5, 'Basalt of the subalkaline series, relatively rich in silica and poor in alkalis. Mid-ocean ridge and continental flood basalts are mostly tholeiitic.'),
(148, 'Alkali basalt', 146, 5, 'Basalt relatively rich in sodium and potassium and undersaturated in silica, so that nepheline appears in its calculated norm. It is typical of ocean islands and continental rifts.'),
(149, 'Picrite', 146, 5, 'Basalt crowded with large olivine crystals and correspondingly rich in magnesium.'),
(150, 'Basanite', 145, 4, 'Silica-undersaturated mafic volcanic rock of plagioclase, clinopyroxene, a feldspathoid and more than 10 percent olivine.'),
(151, 'Tephrite', 145, 4, 'Mafic volcanic rock like basanite, with plagioclase, clinopyroxene and a feldspathoid, but with less than 10 percent olivine.'),
(152, 'Scoria', 145, 4, 'Dark, frothy volcanic rock of basaltic or andesitic composition, full of gas bubbles but heavier than pumice. Cinder cones are built of it.'),
(153, 'Ultramafic volcanic rocks', 135, 3, 'Volcanic and subvolcanic rocks very rich in magnesium and poor in silica, erupted from unusually hot or deeply sourced magmas.'),
(154, 'Komatiite', 153, 4, 'Ultramafic lava with more than 18 percent MgO, often showing bladed ''spinifex'' olivine crystals. Nearly all komatiites are Archean, a sign of a hotter early mantle.'),
(155, 'Kimberlite', 153, 4, 'Volatile-rich, potassic ultramafic rock that rises rapidly from great depth and fills carrot-shaped pipes. It is the main primary source of diamonds.'),
(156, 'Lamproite', 153, 4, 'Ultrapotassic, magnesium-rich volcanic rock with minerals such as phlogopite, leucite and potassic amphibole. Some lamproites carry diamonds.'),
(157, 'Volcanic glasses', 135, 3, 'Volcanic rocks made mostly of glass, formed when lava was chilled too fast for crystals to grow.'),
(158, 'Obsidian', 157, 4, 'Black or dark glassy volcanic rock, usually of rhyolitic composition, that breaks with sharp, shell-like (conchoidal) fractures. It was widely used for blades and arrowheads.'),
(159, 'Pitchstone', 157, 4, 'Volcanic glass with a dull, resinous lustre caused by the water it has absorbed.'),
(160, 'Perlite', 157, 4, 'Hydrated volcanic glass broken by curved, onion-skin cracks. Heated quickly it expands many times over, which makes it useful as lightweight aggregate and in horticulture.'),
(161, 'Pumice', 157, 4, 'Very light, highly vesicular volcanic glass, usually felsic, formed as gas froths out of erupting magma. Many pieces are light enough to float on water.'),
-- Pyroclastic rocks
(162, 'Pyroclastic rocks', 100, 2, 'Rocks made of fragments blasted out by explosive eruptions (pyroclasts) and later consolidated. They are named by fragment size: tuff, lapilli tuff and pyroclastic breccia.'),
(163, 'Tuff', 162, 3, 'Consolidated volcanic ash, made of pyroclasts mostly smaller than 2 mm. Its composition and colour depend on the erupting magma.'),
(164, 'Vitric tuff', 163, 4, 'Tuff consisting mostly of glass shards and pumice fragments.'),
(165, 'Crystal tuff', 163, 4, 'Tuff consisting mostly of broken crystals freed from the erupting magma.'),
(166, 'Lithic tuff', 163, 4, 'Tuff consisting mostly of fragments of older rock torn from the vent and the volcano.'),
(167, 'Welded tuff', 163, 4, 'Tuff laid down so hot that its glass shards and pumice fused and flattened under their own weight, often leaving dark lens-shaped streaks.'),
(168, 'Lapilli tuff', 162, 3, 'Pyroclastic rock of lapilli, fragments 2 to 64 mm across, set in an ash matrix.'),
(169, 'Pyroclastic breccia', 162, 3, 'Pyroclastic rock dominated by angular blocks larger than 64 mm.'),
(170, 'Agglomerate', 162, 3, 'Pyroclastic rock dominated by rounded or fluidal bombs larger than 64 mm, usually deposited close to the vent.'),
(171, 'Ignimbrite', 162, 3, 'Rock deposited by a pyroclastic density current, a ground-hugging flow of hot gas, pumice and ash. Ignimbrites can cover thousands of square kilometres and may be welded or loose.'),
-- Hypabyssal rocks
(172, 'Hypabyssal rocks', 100, 2, 'Igneous rocks that solidified at shallow depth in dykes, sills and small intrusions. They are usually finer grained than plutonic rocks and often porphyritic.'),
(173, 'Dolerite', 172, 3, 'Medium-grained mafic rock of basaltic composition in which plagioclase laths are enclosed by pyroxene (ophitic texture). It forms dykes and sills and is called diabase in North America.'),
(174, 'Porphyry', 172, 3, 'Igneous rock with conspicuous large crystals set in a much finer groundmass. Porphyry intrusions host many of the world''s large copper and molybdenum deposits.'),
(175, 'Granite porphyry', 174, 4, 'Porphyry of granitic composition, with quartz and feldspar phenocrysts in a fine groundmass.'),
(176, 'Feldspar porphyry', 174, 4, 'Porphyry in which feldspar is the main phenocryst mineral.'),
(177, 'Lamprophyre', 172, 3, 'Dark, porphyritic dyke rock in which only mafic minerals such as biotite, amphibole or pyroxene form phenocrysts, feldspar being confined to the groundmass. Lamprophyres are rich in potassium and volatiles.'),
(178, 'Minette', 177, 4, 'Lamprophyre with biotite phenocrysts and orthoclase as the main groundmass feldspar.'),
(179, 'Kersantite', 177, 4, 'Lamprophyre with biotite phenocrysts and plagioclase as the main groundmass feldspar.'),
(180, 'Vogesite', 177, 4, NULL),
(181, 'Spessartite', 177, 4, 'Lamprophyre with amphibole phenocrysts and plagioclase as the main groundmass feldspar.'),
(182, 'Camptonite', 177, 4, 'Alkaline lamprophyre with brown titanium-rich amphibole and augite, and plagioclase in the groundmass.'),
(183, 'Aplite', 172, 3, 'Fine-grained, sugary-textured rock of quartz and alkali feldspar that forms thin veins and dykes in and around granites.'),
(184, 'Pegmatite', 172, 3, 'Very coarse-grained igneous rock, with crystals from several centimetres to metres long, crystallised from water-rich residual melt. Most pegmatites are granitic, and some are mined for lithium, tantalum, feldspar and gemstones.');

-- Sedimentary rocks
INSERT INTO lith_term (lith_id, lithology, parent_id, lith_level, description) VALUES
(200, 'Sedimentary rocks', NULL, 1, 'Rocks formed at or near the Earth''s surface by the compaction and cementation of sediment, or by chemical and biological precipitation from water. They are commonly layered (bedded) and may contain fossils.'),
-- Clastic sedimentary rocks
(201, 'Clastic sedimentary rocks', 200, 2, 'Sedimentary rocks made of fragments (clasts) of older rocks and minerals that were carried and deposited by water, wind or ice. They are classified mainly by grain size.'),
(202, 'Conglomerates and breccias', 201, 3, 'Coarse clastic rocks in which a significant part of the grains are larger than 2 mm.'),
(203, 'Conglomerate', 202, 4, 'Clastic rock of rounded clasts larger than 2 mm in a finer matrix or cement. The rounding shows that the clasts were worn during transport, usually by rivers or waves.'),
(204, 'Oligomict conglomerate', 203, 5, 'Conglomerate whose clasts are nearly all of one resistant rock type, most often quartz or quartzite.'),
(205, 'Polymict conglomerate', 203, 5, 'Conglomerate containing clasts of many different rock types.'),
(206, 'Sedimentary breccia', 202, 4, 'Clastic rock of angular fragments larger than 2 mm, showing that they travelled only a short way. Scree, cave collapse and debris flows produce it.'),
(207, 'Diamictite', 202, 4, 'Poorly sorted, lithified sediment in which scattered clasts of all sizes float in a muddy matrix. Glaciers, submarine mass flows and other processes can produce it.'),
(208, 'Tillite', 207, 5, 'Diamictite interpreted as lithified glacial till.'),
(209, 'Sandstones', 201, 3, 'Clastic rocks made mainly of sand grains between 1/16 mm and 2 mm. They are classified by the proportions of quartz, feldspar and rock fragments and by the amount of muddy matrix.'),
(210, 'Arenites', 209, 4, 'Sandstones with little fine matrix (less than about 15 percent), their grains being held together by mineral cement.'),
(211, 'Quartz arenite', 210, 5, 'Sandstone of more than 95 percent quartz grains, usually well rounded and well sorted. It records long transport or recycling that destroyed less durable grains.'),
(212, 'Subarkose', 210, 5, 'Quartz-rich sandstone with 5 to 25 percent feldspar, feldspar being more plentiful than rock fragments.'),
(213, 'Arkose', 210, 5, 'Sandstone with more than 25 percent feldspar, typically pink or grey and fairly coarse. It forms from rapid erosion of granite or gneiss.'),
(214, 'Sublitharenite', 210, 5, NULL),
(215, 'Lithic arenite', 210, 5, 'Sandstone with more than 25 percent rock fragments, such as bits of shale, volcanic rock or chert. It is also called litharenite.'),
(216, 'Wackes', 209, 4, 'Sandstones with more than about 15 percent fine matrix between the sand grains. They are typically poorly sorted.'),
(217, 'Greywacke', 216, 5, 'Dark, hard, poorly sorted sandstone of angular quartz, feldspar and rock fragments in a clay-rich matrix. It is commonly laid down by turbidity currents in deep marine basins.'),
(218, 'Quartz wacke', 216, 5, 'Wacke whose sand grains are mostly quartz.'),
(219, 'Feldspathic wacke', 216, 5, 'Wacke with abundant feldspar grains.'),
(220, 'Lithic wacke', 216, 5, 'Wacke with abundant rock fragments.'),
(221, 'Mudrocks', 201, 3, 'Fine-grained clastic rocks in which most grains are smaller than 1/16 mm (silt and clay). They are the most abundant sedimentary rocks.'),
(222, 'Siltstone', 221, 4, 'Mudrock made mainly of silt, grains between 1/256 mm and 1/16 mm. It feels slightly gritty compared with claystone.'),
(223, 'Claystone', 221, 4, 'Mudrock made mainly of clay-sized particles smaller than 1/256 mm, without fissility.'),
(224, 'Mudstone', 221, 4, 'Non-fissile mudrock made of a mixture of silt and clay. It breaks into blocky or irregular pieces.'),
(225, 'Shale', 221, 4, 'Fine-grained mudrock that splits readily along closely spaced bedding planes (fissility). It forms from mud settled in quiet water.'),
(226, 'Black shale', 225, 5, 'Dark shale rich in organic matter and often pyrite, deposited where bottom waters lacked oxygen. Black shales are important source rocks for petroleum.'),
(227, 'Calcareous shale', 225, 5, 'Shale containing a notable proportion of calcium carbonate.'),
-- Carbonate sedimentary rocks
(228, 'Carbonate sedimentary rocks', 200, 2, 'Sedimentary rocks made mostly of carbonate minerals, chiefly calcite, aragonite and dolomite. Most form in warm, shallow seas from skeletal debris and chemical precipitation.'),
(229, 'Limestone', 228, 3, 'Sedimentary rock composed mainly of calcium carbonate, usually as calcite. It commonly contains fossils and fizzes readily in dilute hydrochloric acid.'),
(230, 'Lime mudstone', 229, 4, 'Limestone made mostly of carbonate mud (micrite) with fewer than 10 percent grains, pointing to deposition in calm water.'),
(231, 'Wackestone', 229, 4, 'Mud-supported limestone with more than 10 percent grains scattered through carbonate mud.'),
(232, 'Packstone', 229, 4, 'Grain-supported limestone whose grains touch one another, with carbonate mud filling the spaces between them.'),
(233, 'Grainstone', 229, 4, 'Grain-supported limestone without carbonate mud, the pores between grains being filled by sparry calcite cement. It points to deposition in agitated water.'),
(234, 'Boundstone', 229, 4, 'Limestone whose components were bound together during deposition by organisms such as corals, algae or microbes, as in reefs.'),
(235, 'Chalk', 229, 4, 'Soft, white, porous limestone made mostly of coccoliths, the microscopic plates of planktonic algae. Thick chalk is characteristic of the Late Cretaceous.'),
(236, 'Oolitic limestone', 229, 4, 'Limestone made mostly of ooids, sand-sized spheres of concentrically layered calcium carbonate that grow while rolling in warm, agitated shallow water.'),
(237, 'Coquina', 229, 4, 'Poorly cemented limestone made almost entirely of shells and shell fragments.'),
(238, 'Travertine', 229, 4, 'Dense, banded calcium carbonate precipitated from hot or carbon dioxide-rich spring water. It is widely used as a building and facing stone.'),
(239, 'Tufa', 229, 4, 'Porous, spongy calcium carbonate deposited from cool spring, stream or lake water, often encrusting plants and moss.'),
(240, 'Dolostone', 228, 3, 'Carbonate rock made mostly of the mineral dolomite, CaMg(CO3)2. Most dolostone forms when magnesium-rich fluids replace earlier limestone.'),
(241, 'Marl', 228, 3, 'Soft, earthy mixture of clay and calcium carbonate with roughly 35 to 65 percent carbonate, transitional between mudstone and limestone.'),
-- Evaporites
(242, 'Evaporites', 200, 2, 'Chemical sedimentary rocks formed when salts crystallise from seawater or lake water concentrated by evaporation. They typically form in arid basins with restricted water circulation.'),
(243, 'Rock salt', 242, 3, 'Evaporite rock made mostly of halite (sodium chloride). Buried salt flows under pressure and can rise into domes that trap oil and gas.'),
(244, 'Rock gypsum', 242, 3, 'Evaporite rock made mostly of gypsum, a hydrated calcium sulfate soft enough to scratch with a fingernail. It is the raw material for plaster.'),
(245, 'Anhydrite rock', 242, 3, 'Evaporite rock made mostly of anhydrite, calcium sulfate without water. Near the surface it takes up water and turns to gypsum, swelling as it does.'),
(246, 'Potash salt', 242, 3, 'Evaporite rock rich in potassium and magnesium chlorides such as sylvite and carnallite, which crystallise in the last stages of evaporation. It is mined for fertiliser.'),
-- Siliceous sedimentary rocks
(247, 'Siliceous sedimentary rocks', 200, 2, 'Sedimentary rocks made largely of silica, either from the skeletons of organisms such as diatoms and radiolarians or from silica precipitated during diagenesis.'),
(248, 'Chert', 247, 3, 'Hard, dense rock of microcrystalline quartz that breaks with sharp conchoidal fractures. It occurs as nodules in limestone or as beds of its own.'),
(249, 'Flint', 248, 4, 'Dark grey to black chert that forms nodules in chalk. It was widely worked into stone tools.'),
(250, 'Jasper', 248, 4, 'Opaque chert coloured red, brown or yellow by iron oxide impurities.'),
(251, 'Novaculite', 248, 4, 'Dense, even-grained, white to grey chert valued for whetstones.'),
(252, 'Diatomite', 247, 3, 'Light, porous, chalk-like rock made of the opaline silica shells of diatoms. It is used for filters, mild abrasives and insulation.'),
(253, 'Radiolarite', 247, 3, 'Siliceous rock made mostly of radiolarian skeletons, usually deposited on the deep ocean floor below the depth at which carbonate dissolves.'),
-- Iron-rich sedimentary rocks
(254, 'Iron-rich sedimentary rocks', 200, 2, 'Sedimentary rocks containing more than about 15 percent iron. They are the world''s main sources of iron ore.'),
(255, 'Banded iron formation', 254, 3, 'Finely layered rock of alternating iron oxide (magnetite or hematite) and chert bands. Most of it formed in Precambrian oceans.'),
(256, 'Oolitic ironstone', 254, 3, 'Ironstone made of ooids of iron minerals such as goethite, hematite or chamosite, mostly of Phanerozoic age.'),
-- Phosphorite
(257, 'Phosphorite', 200, 2, 'Sedimentary rock rich in phosphate minerals, mainly carbonate-fluorapatite. It usually forms on continental shelves where nutrient-rich water wells up, and it is the main source of phosphate fertiliser.'),
-- Carbonaceous sedimentary rocks
(258, 'Carbonaceous sedimentary rocks', 200, 2, 'Sedimentary rocks rich in organic carbon derived from the remains of plants or plankton.'),
(259, 'Coal', 258, 3, 'Combustible black or brown rock formed from plant matter buried in swamps and altered by heat and pressure. Its rank rises from lignite to anthracite as the carbon content increases.'),
(260, 'Lignite', 259, 4, 'The lowest rank of coal, brown and soft, with a high moisture content and plant structures often still visible. It is also called brown coal.'),
(261, 'Sub-bituminous coal', 259, 4, 'Coal ranking between lignite and bituminous coal, dull black and with a lower heating value than bituminous coal.'),
(262, 'Bituminous coal', 259, 4, 'Dense black coal of intermediate rank, often banded. Some bituminous coals are baked into coke for steelmaking.'),
(263, 'Anthracite', 259, 4, 'The highest rank of coal, hard and shiny with a semi-metallic lustre and a very high carbon content. It burns with a short, nearly smokeless flame.'),
(264, 'Cannel coal', 259, 4, 'Dull, compact coal formed from spores, pollen and algal remains rather than woody tissue. It lights easily and burns with a bright flame.'),
(265, 'Oil shale', 258, 3, 'Fine-grained sedimentary rock containing enough kerogen to yield oil when heated.');

-- Metamorphic rocks
INSERT INTO lith_term (lith_id, lithology, parent_id, lith_level, description) VALUES
(300, 'Metamorphic rocks', NULL, 1, 'Rocks transformed in the solid state by heat, pressure or chemically active fluids, without melting as a whole. Their minerals and textures record the conditions they went through.'),
-- Foliated metamorphic rocks
(301, 'Foliated metamorphic rocks', 300, 2, 'Metamorphic rocks with a planar fabric (foliation) produced by the parallel alignment of platy or elongate minerals under directed stress.'),
(302, 'Slate', 301, 3, 'Very fine-grained, low-grade metamorphic rock formed from mudrock, which splits into thin, flat sheets along its cleavage. It is used for roofing tiles.'),
(303, 'Phyllite', 301, 3, 'Fine-grained metamorphic rock with a silky sheen from tiny flakes of mica and chlorite, slightly coarser than slate. Its cleavage surfaces are often wavy.'),
(304, 'Schist', 301, 3, 'Medium- to coarse-grained metamorphic rock with a strong foliation (schistosity) defined by visible platy minerals such as mica, chlorite or talc. It splits readily along the foliation.'),
(305, 'Mica schist', 304, 4, 'Schist made mainly of quartz and mica (muscovite, biotite or both), formed from metamorphosed mudrocks.'),
(306, 'Garnet mica schist', 305, 5, 'Mica schist with conspicuous garnet crystals, a sign of medium-grade metamorphism.'),
(307, 'Staurolite schist', 305, 5, 'Mica schist with prismatic crystals of staurolite, which often grow as cross-shaped twins.'),
(308, 'Kyanite schist', 305, 5, 'Mica schist with blue blades of kyanite, an aluminium silicate stable at relatively high pressure.'),
(309, 'Greenschist', 304, 4, 'Green schist of chlorite, epidote and actinolite formed by low-grade metamorphism of basaltic rocks. It gives its name to the greenschist facies.'),
(310, 'Blueschist', 304, 4, 'Schist coloured blue by the sodium-rich amphibole glaucophane. It forms at high pressure and low temperature, typically in subduction zones.'),
(311, 'Talc schist', 304, 4, 'Soft schist composed largely of talc, usually derived from ultramafic rocks.'),
(312, 'Gneiss', 301, 3, 'Coarse-grained, high-grade metamorphic rock with alternating light bands of quartz and feldspar and dark bands of mica or amphibole. It splits far less readily than schist.'),
(313, 'Orthogneiss', 312, 4, 'Gneiss formed from an igneous parent rock, commonly granite.'),
(314, 'Augen gneiss', 313, 5, 'Orthogneiss with large eye-shaped feldspar crystals wrapped by the foliation.'),
(315, 'Paragneiss', 312, 4, 'Gneiss formed from a sedimentary parent rock such as shale or greywacke. It is often rich in aluminous minerals such as garnet and sillimanite.'),
(316, 'Amphibolite', 301, 3, 'Metamorphic rock made mostly of hornblende and plagioclase, usually formed from basalt or gabbro at medium to high grade. It may be foliated or massive.'),
(317, 'Migmatite', 301, 3, 'Mixed rock of pale, once-molten veins and layers within darker metamorphic host rock. It forms where metamorphism reached the onset of partial melting.'),
-- Non-foliated metamorphic rocks
(318, 'Non-foliated metamorphic rocks', 300, 2, 'Metamorphic rocks without a planar fabric, typically of equal-sized interlocking grains. They form where stress was not directed or where the minerals are not platy.'),
(319, 'Marble', 318, 3, 'Metamorphic rock of recrystallised calcite or dolomite, formed from limestone or dolostone. It is prized as a sculpture and building stone.'),
(320, 'Calcite marble', 319, 4, 'Marble composed mainly of calcite, usually derived from limestone.'),
(321, 'Dolomitic marble', 319, 4, 'Marble composed mainly of dolomite, derived from dolostone. It reacts only weakly with cold dilute acid.'),
(322, 'Quartzite', 318, 3, 'Hard metamorphic rock of interlocking quartz grains, formed by recrystallisation of quartz sandstone. Unlike sandstone it breaks through the grains rather than around them.'),
(323, 'Hornfels', 318, 3, 'Fine-grained, hard, splintery rock formed by contact metamorphism next to an igneous intrusion. Its grains have no preferred orientation.'),
(324, 'Calc-silicate hornfels', 323, 4, 'Hornfels rich in calcium silicate minerals such as diopside, grossular and wollastonite, formed from impure limestone or marl.'),
(325, 'Granulite', 318, 3, 'High-grade metamorphic rock formed at very high temperature, made of largely water-free minerals such as pyroxene, garnet and feldspar. Granulites are thought to make up much of the lower continental crust.'),
(326, 'Charnockite', 325, 4, 'Orthopyroxene-bearing granitic rock typical of granulite terrains, of igneous or metamorphic origin.'),
(327, 'Eclogite', 318, 3, 'Dense metamorphic rock of red garnet and green sodium-rich pyroxene (omphacite), formed from basalt at very high pressure. It is characteristic of deeply subducted oceanic crust.'),
(328, 'Serpentinite', 318, 3, 'Rock made mostly of serpentine minerals, formed when water reacts with peridotite or other ultramafic rocks. It is typically green, smooth and slippery.'),
(329, 'Soapstone', 318, 3, 'Soft, massive rock made mostly of talc, easily carved and resistant to heat. It is also called steatite.'),
(330, 'Greenstone', 318, 3, 'Field name for altered, low-grade metamorphosed mafic volcanic rocks, coloured green by chlorite, epidote and actinolite. Archean greenstone belts host many gold deposits.'),
-- Metasomatic rocks
(331, 'Metasomatic rocks', 300, 2, 'Rocks whose chemical composition was substantially changed by fluids that brought in and removed elements, usually near intrusions or along fluid pathways.'),
(332, 'Skarn', 331, 3, 'Coarse calc-silicate rock of garnet, pyroxene and related minerals formed where fluids from an intrusion reacted with limestone or dolostone. Skarns host ores of tungsten, copper, iron and zinc.'),
(333, 'Greisen', 331, 3, 'Altered granite composed largely of quartz and muscovite, often with topaz and fluorite, formed by late magmatic fluids. It is a classic host of tin and tungsten ore.'),
(334, 'Fenite', 331, 3, 'Rock altered by alkali-rich fluids around carbonatite and alkaline intrusions, which enriched it in sodium or potassium.'),
(335, 'Rodingite', 331, 3, 'Calcium-rich metasomatic rock, often of garnet and diopside, formed from mafic dykes enclosed in serpentinite.'),
(336, 'Listvenite', 331, 3, 'Ultramafic rock altered by carbon dioxide-rich fluids into magnesite or dolomite with quartz and green chromium mica.'),
-- Impact metamorphic rocks
(337, 'Impact metamorphic rocks', 300, 2, 'Rocks changed by the shock waves of meteorite impacts, showing features such as shocked quartz, shatter cones and melt.'),
(338, 'Impact breccia', 337, 3, 'Breccia formed in an impact crater, made of shattered fragments of the target rock.'),
(339, 'Suevite', 338, 4, 'Impact breccia with fragments of melt glass as well as shocked rock fragments in a fine-grained matrix.'),
(340, 'Impact melt rock', 337, 3, 'Rock crystallised or quenched from target rock melted by the energy of a meteorite impact.');

-- Fault rocks
INSERT INTO lith_term (lith_id, lithology, parent_id, lith_level, description) VALUES
(400, 'Fault rocks', NULL, 1, 'Rocks produced by deformation in fault zones. They are classified by whether they hold together, whether they are foliated and how much their grain size has been reduced.'),
-- Incohesive fault rocks
(401, 'Incohesive fault rocks', 400, 2, 'Fault rocks that fall apart easily because their fragments are not bound together. They form in the upper few kilometres of the crust.'),
(402, 'Fault gouge', 401, 3, 'Soft, incohesive, fine-grained fault rock, often clay-rich, in which visible fragments make up less than 30 percent.'),
(403, 'Fault breccia', 401, 3, 'Incohesive fault rock in which angular fragments visible to the eye make up more than 30 percent.'),
-- Cataclastic rocks
(404, 'Cataclastic rocks', 400, 2, 'Cohesive fault rocks without a foliation, formed by brittle crushing and grinding of rock. They are divided by the proportion of fine matrix.'),
(405, 'Protocataclasite', 404, 3, 'Cataclastic rock in which fine matrix makes up 10 to 50 percent.'),
(406, 'Cataclasite', 404, 3, 'Cataclastic rock in which fine matrix makes up 50 to 90 percent.'),
(407, 'Ultracataclasite', 404, 3, 'Cataclastic rock in which fine matrix exceeds 90 percent.'),
-- Mylonitic rocks
(408, 'Mylonitic rocks', 400, 2, 'Cohesive, foliated fault rocks in which ductile deformation and recrystallisation reduced the grain size. They form in shear zones, typically at mid-crustal depths.'),
(409, 'Protomylonite', 408, 3, 'Mylonitic rock in which recrystallised matrix makes up 10 to 50 percent, the rest being larger relict grains.'),
(410, 'Mylonite', 408, 3, 'Fine-grained foliated fault rock with 50 to 90 percent recrystallised matrix enclosing larger relict grains (porphyroclasts), often with a strong lineation.'),
(411, 'Ultramylonite', 408, 3, 'Mylonitic rock in which more than 90 percent is fine matrix, often looking like chert.'),
(412, 'Phyllonite', 408, 3, 'Mica-rich mylonite that resembles phyllite.'),
-- Pseudotachylyte
(413, 'Pseudotachylyte', 400, 2, 'Dark, glassy or very fine-grained rock filling veins where frictional heat during rapid seismic slip melted the fault wall rock. It is fossil evidence of earthquakes.');

-- Unconsolidated sediments
INSERT INTO lith_term (lith_id, lithology, parent_id, lith_level, description) VALUES
(500, 'Unconsolidated sediments', NULL, 1, 'Loose accumulations of particles that have not been lithified into rock. They include most deposits laid down during the Quaternary.'),
-- Clastic sediments
(501, 'Clastic sediments', 500, 2, 'Unconsolidated sediments made of mineral and rock particles, named by grain size on the Wentworth scale.'),
(502, 'Gravel', 501, 3, 'Loose sediment in which most particles are larger than 2 mm.'),
(503, 'Boulder gravel', 502, 4, 'Gravel dominated by boulders, clasts larger than 256 mm.'),
(504, 'Cobble gravel', 502, 4, 'Gravel dominated by cobbles, 64 to 256 mm across.'),
(505, 'Pebble gravel', 502, 4, 'Gravel dominated by pebbles, 4 to 64 mm across.'),
(506, 'Granule gravel', 502, 4, 'Gravel dominated by granules, 2 to 4 mm across.'),
(507, 'Sand', 501, 3, 'Loose sediment consisting mainly of grains 1/16 mm to 2 mm across, most often quartz.'),
(508, 'Coarse sand', 507, 4, 'Sand with grains mainly 0.5 to 2 mm across (the coarse and very coarse classes).'),
(509, 'Medium sand', 507, 4, 'Sand with grains mainly 0.25 to 0.5 mm across.'),
(510, 'Fine sand', 507, 4, 'Sand with grains mainly 1/16 to 0.25 mm across (the fine and very fine classes).'),
(511, 'Silt', 501, 3, 'Loose sediment of particles between 1/256 mm and 1/16 mm, finer than sand but coarser than clay. It feels smooth but not sticky.'),
(512, 'Loess', 511, 4, 'Wind-blown silt, usually buff-coloured and calcareous, deposited during glacial periods downwind of ice sheets and deserts. It stands in near-vertical faces and weathers to very fertile soils.'),
(513, 'Clay', 501, 3, 'Loose sediment of particles smaller than 1/256 mm, dominated by clay minerals. It is sticky and plastic when wet.'),
(514, 'Quick clay', 513, 4, 'Marine clay whose pore water has been leached of salt, so that it can suddenly turn to liquid when disturbed. It causes destructive landslides in Scandinavia and eastern Canada.'),
(515, 'Mud', 501, 3, 'Wet mixture of silt and clay in unspecified proportions.'),
-- Glacial sediments
(516, 'Glacial sediments', 500, 2, 'Sediments deposited directly by glacier ice or by its meltwater.'),
(517, 'Till', 516, 3, 'Unsorted sediment deposited directly by glacier ice, with clasts of all sizes in a fine matrix. It is also called boulder clay.'),
(518, 'Lodgement till', 517, 4, 'Dense, compact till plastered onto the bed beneath moving ice.'),
(519, 'Melt-out till', 517, 4, 'Till released as stagnant, debris-laden ice slowly melts.'),
(520, 'Glaciofluvial outwash', 516, 3, 'Sand and gravel laid down by meltwater streams flowing from a glacier, usually bedded and better sorted than till.'),
(521, 'Glaciolacustrine sediments', 516, 3, 'Fine-grained sediments deposited in lakes fed by glacial meltwater.'),
(522, 'Varved clay', 521, 4, 'Glacial lake sediment of regular couplets, a coarser summer layer and a finer winter layer. Counting the couplets (varves) gives a year-by-year chronology.'),
-- Organic sediments
(523, 'Organic sediments', 500, 2, 'Unconsolidated sediments consisting largely of accumulated plant or plankton remains.'),
(524, 'Peat', 523, 3, 'Brown to black accumulation of partly decomposed plant remains in waterlogged ground. It is the first stage on the way to coal.'),
(525, 'Fen peat', 524, 4, 'Peat formed in fens fed by groundwater, mainly from sedges and reeds. It is less acidic than bog peat.'),
(526, 'Bog peat', 524, 4, 'Acidic peat formed in rain-fed bogs, largely from sphagnum moss.'),
(527, 'Gyttja', 523, 3, 'Organic-rich lake mud formed from plankton and other remains where the bottom water still holds oxygen.'),
(528, 'Sapropel', 523, 3, 'Dark, organic-rich mud deposited where the bottom water lacks oxygen, in stagnant lakes or marine basins.'),
-- Biogenic oozes
(529, 'Biogenic oozes', 500, 2, 'Deep-sea sediments made of more than 30 percent skeletal remains of microscopic plankton.'),
(530, 'Calcareous ooze', 529, 3, 'Ooze of calcium carbonate skeletons. It accumulates only above the carbonate compensation depth, below which the shells dissolve.'),
(531, 'Foraminiferal ooze', 530, 4, 'Calcareous ooze dominated by the shells of planktonic foraminifera.'),
(532, 'Nannofossil ooze', 530, 4, 'Calcareous ooze dominated by coccoliths and other calcareous nannofossils.'),
(533, 'Pteropod ooze', 530, 4, 'Calcareous ooze rich in the aragonite shells of pteropods, tiny swimming snails. It is restricted to relatively shallow ocean floor.'),
(534, 'Siliceous ooze', 529, 3, 'Ooze of opaline silica skeletons, accumulating where surface waters are highly productive or where carbonate dissolves.'),
(535, 'Diatom ooze', 534, 4, 'Siliceous ooze dominated by diatom shells, common beneath the Southern Ocean and other cold, nutrient-rich waters.'),
(536, 'Radiolarian ooze', 534, 4, 'Siliceous ooze dominated by radiolarian skeletons, found mainly beneath tropical oceans.'),
-- Tephra
(537, 'Tephra', 500, 2, 'Loose fragments of any size ejected by explosive volcanic eruptions.'),
(538, 'Volcanic ash', 537, 3, 'Tephra particles smaller than 2 mm, made of glass shards, crystal fragments and rock. Fine ash can drift across whole continents.'),
(539, 'Lapilli', 537, 3, 'Tephra fragments between 2 and 64 mm across.'),
(540, 'Volcanic blocks and bombs', 537, 3, 'Tephra fragments larger than 64 mm. Blocks were solid when thrown out and are angular; bombs were still molten and took rounded or streamlined shapes.'),
-- Mass-movement deposits
(541, 'Mass-movement deposits', 500, 2, 'Sediments moved downslope mainly by gravity, as in landslides, rockfalls and soil creep.'),
(542, 'Colluvium', 541, 3, 'Poorly sorted material gathered at the foot of slopes by soil creep, slope wash and small slides.'),
(543, 'Scree', 541, 3, 'Apron of angular rock fragments that have fallen from a cliff and collected on the slope below. It is also called talus.'),
(544, 'Debris-flow deposit', 541, 3, 'Poorly sorted mixture of boulders, gravel and mud laid down by a water-saturated flow moving rapidly downslope.');

-- Residual and weathered materials
INSERT INTO lith_term (lith_id, lithology, parent_id, lith_level, description) VALUES
(600, 'Residual and weathered materials', NULL, 1, 'Materials formed in place by weathering of the underlying rock, or hardened near the surface by minerals precipitated from groundwater.'),
-- Saprolite
(601, 'Saprolite', 600, 2, 'Soft, clay-rich, chemically weathered rock that remains in place and preserves the structure of its parent rock. It can be tens of metres thick in the humid tropics.'),
-- Laterite
(602, 'Laterite', 600, 2, 'Iron- and aluminium-rich weathering product formed in hot, wet climates by intense leaching of silica and alkalis. It is usually red and hardens on exposure to air.'),
(603, 'Bauxite', 602, 3, 'Aluminium-rich residual material made mainly of the aluminium hydroxides gibbsite, boehmite and diaspore. It is the main ore of aluminium.'),
-- Duricrusts
(604, 'Duricrusts', 600, 2, 'Hard crusts formed in or on soil where minerals precipitated from groundwater cement the loose material.'),
(605, 'Calcrete', 604, 3, 'Duricrust cemented by calcium carbonate, common in semi-arid regions. It is also called caliche.'),
(606, 'Silcrete', 604, 3, 'Very hard duricrust cemented by silica.'),
(607, 'Ferricrete', 604, 3, 'Duricrust cemented by iron oxides and hydroxides.'),
(608, 'Gypcrete', 604, 3, NULL),
-- Terra rossa
(609, 'Terra rossa', 600, 2, 'Red, clay-rich soil material on limestone, made of the insoluble residue left behind as the carbonate dissolves. It is typical of Mediterranean karst.');

-- Anthropogenic materials
INSERT INTO lith_term (lith_id, lithology, parent_id, lith_level, description) VALUES
(700, 'Anthropogenic materials', NULL, 1, 'Deposits made or moved by people rather than by natural processes.'),
-- Made ground
(701, 'Made ground', 700, 2, 'Material placed by people on top of the natural ground, such as fill, rubble or waste.'),
-- Mine tailings
(702, 'Mine tailings', 700, 2, 'Finely ground rock left after ore minerals have been extracted, usually stored as a slurry behind dams.'),
-- Slag
(703, 'Slag', 700, 2, 'Glassy or stony by-product of smelting metal ores, formed from the molten impurities.'),
-- Dredged spoil
(704, 'Dredged spoil', 700, 2, NULL);

COMMIT;
